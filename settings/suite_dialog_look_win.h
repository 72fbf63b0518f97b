#pragma once
#include <windows.h>

// How a parents' dialog of the suite looks: the suite's icons at the system's
// sizes, the Cyrillic font on every control, and the English title on a system
// whose ANSI code page is not Cyrillic. It keeps the icons while the dialog is open.
class SuiteDialogLook {
public:
    SuiteDialogLook() = default;
    ~SuiteDialogLook();
    SuiteDialogLook(const SuiteDialogLook&) = delete;
    SuiteDialogLook& operator=(const SuiteDialogLook&) = delete;

    void apply(HWND dialog, UINT englishTitleId);

private:
    HICON smallIcon_ = nullptr;
    HICON bigIcon_ = nullptr;
};

#pragma once
#include <windows.h>

// Reaches the HTML Help viewer at run time: the library registered for the
// HTML Help control first, the named library second. A failure is final:
// later calls return null without trying again.
class HtmlHelpLoader {
public:
    explicit HtmlHelpLoader(const wchar_t* libraryName) : libraryName_(libraryName) {}

    HWND call(HWND owner, const wchar_t* path, UINT command, DWORD_PTR data);

private:
    using Entry = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

    bool load();

    const wchar_t* libraryName_;
    HMODULE module_ = nullptr;
    Entry entry_ = nullptr;
    bool failed_ = false;
};

// The process-wide viewer entry, with "hhctrl.ocx" as the fallback library.
HWND HtmlHelpW(HWND owner, const wchar_t* path, UINT command, DWORD_PTR data);

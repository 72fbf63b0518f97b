#pragma once
#include <windows.h>

#include <string>

// A report-style list view with check-box modes. It does not own the list
// view: bind attaches it to a control of a dialog, and it lets go when the
// control is destroyed or the wrapper goes away.
class ReportListCtrl {
public:
    enum CheckMode { kNoChecks = 0, kMultipleChecks = 1, kSingleCheck = 2, kFixedChecks = 3 };
    // Sent to the parent when a click changed an item's check (wParam the
    // item, lParam the mouse message).
    static constexpr UINT kCheckClickedMessage = WM_APP + 10000;
    static constexpr int kTextCapacity = 260;

    ReportListCtrl() = default;
    ~ReportListCtrl();
    ReportListCtrl(const ReportListCtrl&) = delete;
    ReportListCtrl& operator=(const ReportListCtrl&) = delete;

    // Forces the report style with scroll bars and full-row selection.
    void bind(HWND listView);
    HWND hwnd() const { return hwnd_; }

    int insertColumn(int index, const wchar_t* header, int format, int width, int subItem);
    void setCheckMode(int mode);
    int checkMode() const { return checkMode_; }

    // Returns the new item's index, or -1.
    int insertItem(int index, const wchar_t* text);
    bool setItemText(int item, int column, const std::u16string& text);
    // At most kTextCapacity - 1 code units.
    std::u16string itemText(int item, int column) const;
    int itemCount() const;
    bool getCheck(int item) const;
    // In single mode, checking an item clears every other check.
    void setCheck(int item, bool on);
    void enable(bool on);

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self);
    LRESULT click(UINT message, WPARAM wParam, LPARAM lParam);
    void release();
    void clearChecksExcept(int item);

    HWND hwnd_ = nullptr;
    int checkMode_ = kMultipleChecks;
};

#include "ui/report_list_ctrl_win.h"

#include <windowsx.h>

#include "common/exception_barrier.h"
#include "ui/common_controls_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

bool isClick(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: return true;
    default: return false;
    }
}

}  // namespace

ReportListCtrl::~ReportListCtrl() { release(); }

void ReportListCtrl::release() {
    if (hwnd_ && IsWindow(hwnd_))
        commonControls::removeWindowSubclass(hwnd_, &ReportListCtrl::subclassProc, kSubclassId);
    hwnd_ = nullptr;
}

void ReportListCtrl::bind(HWND listView) {
    release();
    hwnd_ = listView;
    LONG_PTR style = GetWindowLongPtrW(listView, GWL_STYLE);
    style &= ~LONG_PTR(LVS_TYPEMASK | LVS_NOSCROLL | LVS_EDITLABELS);
    style |= LVS_REPORT | WS_VSCROLL | WS_HSCROLL | WS_CHILD | WS_VISIBLE;
    SetWindowLongPtrW(listView, GWL_STYLE, style);
    SetWindowPos(listView, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | (checkMode_ ? LVS_EX_CHECKBOXES : 0);
    SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    commonControls::setWindowSubclass(listView, &ReportListCtrl::subclassProc, kSubclassId,
                                      reinterpret_cast<DWORD_PTR>(this));
}

int ReportListCtrl::insertColumn(int index, const wchar_t* header, int format, int width, int subItem) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.iSubItem = subItem;
    column.pszText = const_cast<wchar_t*>(header);
    return int(SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
}

void ReportListCtrl::setCheckMode(int mode) {
    checkMode_ = mode;
    DWORD checks = mode != kNoChecks ? LVS_EX_CHECKBOXES : 0;
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, checks);
    if (mode != kSingleCheck) return;
    for (int item = 0; item < itemCount(); ++item) {
        if (getCheck(item)) {
            clearChecksExcept(item);
            return;
        }
    }
}

int ReportListCtrl::insertItem(int index, const wchar_t* text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text);
    return int(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ReportListCtrl::setItemText(int item, int column, const std::u16string& text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.c_str()));
    return SendMessageW(hwnd_, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell)) != 0;
}

std::u16string ReportListCtrl::itemText(int item, int column) const {
    wchar_t text[kTextCapacity] = L"";
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = kTextCapacity;
    SendMessageW(hwnd_, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell));
    text[kTextCapacity - 1] = 0;
    return reinterpret_cast<const char16_t*>(text);
}

int ReportListCtrl::itemCount() const { return int(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

bool ReportListCtrl::getCheck(int item) const {
    auto state = UINT(SendMessageW(hwnd_, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

void ReportListCtrl::setCheck(int item, bool on) {
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    if (on && checkMode_ == kSingleCheck) clearChecksExcept(item);
}

void ReportListCtrl::clearChecksExcept(int kept) {
    for (int item = 0; item < itemCount(); ++item)
        if (item != kept && getCheck(item)) setCheck(item, false);
}

void ReportListCtrl::enable(bool on) { EnableWindow(hwnd_, on); }

LRESULT CALLBACK ReportListCtrl::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
    auto list = reinterpret_cast<ReportListCtrl*>(self);
    return exceptionBarrier(
        [&] {
            if (message == WM_NCDESTROY) {
                commonControls::removeWindowSubclass(window, &ReportListCtrl::subclassProc, kSubclassId);
                if (list->hwnd_ == window) list->hwnd_ = nullptr;
            } else if (isClick(message) && list->checkMode_ != kNoChecks) {
                return list->click(message, wParam, lParam);
            }
            return commonControls::defSubclassProc(window, message, wParam, lParam);
        },
        LRESULT{0});
}

// The list view toggles a check box that was hit; the mode decides what
// becomes of that change.
LRESULT ReportListCtrl::click(UINT message, WPARAM wParam, LPARAM lParam) {
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int item = int(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    bool before = item >= 0 && getCheck(item);
    HWND window = hwnd_;
    LRESULT result = commonControls::defSubclassProc(window, message, wParam, lParam);
    if (item < 0 || !IsWindow(window) || getCheck(item) == before) return result;
    if (checkMode_ == kFixedChecks) {
        setCheck(item, before);
        return result;
    }
    if (checkMode_ == kSingleCheck && !before) clearChecksExcept(item);
    LVITEMW selection{};
    selection.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&selection));
    selection.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(GetParent(hwnd_), kCheckClickedMessage, item, message);
    return result;
}

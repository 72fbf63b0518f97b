#include "control/tray_icon_win.h"

#include <shellapi.h>

#include "common/text_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr int kTipLength = 64;

// The fields the wide and the ANSI forms share; the tip is filled by the caller.
template <typename Data>
Data notification(DWORD size, HWND window, HICON icon, bool shown) {
    Data data{};
    data.cbSize = size;
    data.hWnd = window;
    if (shown) {
        data.uFlags = kFlags;
        data.uCallbackMessage = kTrayCallbackMessage;
        data.hIcon = icon;
    }
    return data;
}

void notifyWide(HWND window, HICON icon, bool shown) {
    auto data = notification<NOTIFYICONDATAW>(NOTIFYICONDATAW_V1_SIZE, window, icon, shown);
    if (shown) LoadStringW(GetModuleHandleW(nullptr), IDS_MODULE_CAPTION, data.szTip, kTipLength);
    Shell_NotifyIconW(shown ? NIM_ADD : NIM_DELETE, &data);
}

void notifyAnsi(HWND window, HICON icon, bool shown) {
    auto data = notification<NOTIFYICONDATAA>(NOTIFYICONDATAA_V1_SIZE, window, icon, shown);
    if (shown) LoadStringA(GetModuleHandleW(nullptr), IDS_MODULE_CAPTION, data.szTip, kTipLength);
    Shell_NotifyIconA(shown ? NIM_ADD : NIM_DELETE, &data);
}

}  // namespace

void showTrayIcon(HWND window, HICON icon, bool shown) {
    if (isWideApiAvailable())
        notifyWide(window, icon, shown);
    else
        notifyAnsi(window, icon, shown);
}

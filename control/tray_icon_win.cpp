#include "control/tray_icon_win.h"

#include <shellapi.h>

#include "common/text_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr int kTipLength = 64;

void notifyWide(HWND window, HICON icon, bool shown) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    if (shown) {
        data.uFlags = kFlags;
        data.uCallbackMessage = kTrayCallbackMessage;
        data.hIcon = icon;
        LoadStringW(GetModuleHandleW(nullptr), IDS_MODULE_CAPTION, data.szTip, kTipLength);
    }
    Shell_NotifyIconW(shown ? NIM_ADD : NIM_DELETE, &data);
}

void notifyAnsi(HWND window, HICON icon, bool shown) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    if (shown) {
        data.uFlags = kFlags;
        data.uCallbackMessage = kTrayCallbackMessage;
        data.hIcon = icon;
        LoadStringA(GetModuleHandleW(nullptr), IDS_MODULE_CAPTION, data.szTip, kTipLength);
    }
    Shell_NotifyIconA(shown ? NIM_ADD : NIM_DELETE, &data);
}

}  // namespace

void showTrayIcon(HWND window, HICON icon, bool shown) {
    if (isWideApiAvailable())
        notifyWide(window, icon, shown);
    else
        notifyAnsi(window, icon, shown);
}

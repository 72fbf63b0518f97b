#include "control/tray_icon_win.h"

#include <shellapi.h>

#include "common/text_win.h"

namespace {

constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr int kTipLength = 64;
constexpr DWORD kQuietBalloon = NIIF_INFO | 0x10;  // NIIF_NOSOUND

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

void notifyWide(DWORD message, NOTIFYICONDATAW data, const wchar_t* tip) {
    if (data.uFlags & NIF_TIP) lstrcpynW(data.szTip, tip, kTipLength);
    Shell_NotifyIconW(message, &data);
}

void notifyAnsi(DWORD message, NOTIFYICONDATAA data, const wchar_t* tip) {
    if (data.uFlags & NIF_TIP && !WideCharToMultiByte(CP_ACP, 0, tip, -1, data.szTip, kTipLength, nullptr, nullptr))
        data.szTip[kTipLength - 1] = 0;
    Shell_NotifyIconA(message, &data);
}

}  // namespace

void showTrayIcon(HWND window, HICON icon, bool shown, const wchar_t* tip) {
    const DWORD message = shown ? NIM_ADD : NIM_DELETE;
    if (isWideApiAvailable())
        notifyWide(message, notification<NOTIFYICONDATAW>(NOTIFYICONDATAW_V1_SIZE, window, icon, shown), tip);
    else
        notifyAnsi(message, notification<NOTIFYICONDATAA>(NOTIFYICONDATAA_V1_SIZE, window, icon, shown), tip);
}

void setTrayTip(HWND window, const wchar_t* tip) {
    if (isWideApiAvailable()) {
        auto data = notification<NOTIFYICONDATAW>(NOTIFYICONDATAW_V1_SIZE, window, nullptr, false);
        data.uFlags = NIF_TIP;
        notifyWide(NIM_MODIFY, data, tip);
    } else {
        auto data = notification<NOTIFYICONDATAA>(NOTIFYICONDATAA_V1_SIZE, window, nullptr, false);
        data.uFlags = NIF_TIP;
        notifyAnsi(NIM_MODIFY, data, tip);
    }
}

void showTrayBalloon(HWND window, const wchar_t* title, const wchar_t* text) {
    if (!isWideApiAvailable()) return;
    auto data = notification<NOTIFYICONDATAW>(NOTIFYICONDATAW_V2_SIZE, window, nullptr, false);
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = kQuietBalloon;
    lstrcpynW(data.szInfoTitle, title, sizeof data.szInfoTitle / sizeof data.szInfoTitle[0]);
    lstrcpynW(data.szInfo, text, sizeof data.szInfo / sizeof data.szInfo[0]);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

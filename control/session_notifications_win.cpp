#include "control/session_notifications_win.h"

#include "common/system_function_win.h"

namespace {

constexpr DWORD kNotifyForThisSession = 0;

}  // namespace

void registerSessionNotifications(HWND window) {
    using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
    static const auto function = systemFunction<RegisterFn>(L"wtsapi32.dll", "WTSRegisterSessionNotification");
    if (function) function(window, kNotifyForThisSession);
}

void unregisterSessionNotifications(HWND window) {
    using UnregisterFn = BOOL(WINAPI*)(HWND);
    static const auto function = systemFunction<UnregisterFn>(L"wtsapi32.dll", "WTSUnRegisterSessionNotification");
    if (function) function(window);
}

#include "control/session_notifications_win.h"

namespace {

constexpr DWORD kNotifyForThisSession = 0;

FARPROC terminalServicesFunction(const char* name) {
    HMODULE library = LoadLibraryA("wtsapi32.dll");
    return library ? GetProcAddress(library, name) : nullptr;
}

}  // namespace

void registerSessionNotifications(HWND window) {
    using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
    if (auto function = reinterpret_cast<RegisterFn>(terminalServicesFunction("WTSRegisterSessionNotification")))
        function(window, kNotifyForThisSession);
}

void unregisterSessionNotifications(HWND window) {
    using UnregisterFn = BOOL(WINAPI*)(HWND);
    if (auto function = reinterpret_cast<UnregisterFn>(terminalServicesFunction("WTSUnRegisterSessionNotification")))
        function(window);
}

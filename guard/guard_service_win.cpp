#include "guard/guard_service_win.h"

#include <windows.h>
#include <wtsapi32.h>

#include <atomic>
#include <cwchar>

#include "guard/guard_requests_win.h"
#include "guard/session_guard_win.h"

namespace {

// A module ended in Task Manager is back within this and its own start.
constexpr DWORD kFollowMs = 2000;

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
HANDLE gWake = nullptr;
std::atomic<bool> gStopping{false};
std::atomic<DWORD> gRequest{0};
std::atomic<DWORD> gSessionEvent{0xFFFFFFFF};

void reportState(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_SESSIONCHANGE : 0;
    SetServiceStatus(gStatusHandle, &status);
}

DWORD WINAPI onControl(DWORD control, DWORD eventType, void* eventData, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        gStopping = true;
        reportState(SERVICE_STOP_PENDING);
        break;
    case kGuardParentsClose:
    case kGuardFollowAgain: gRequest = control; break;
    case SERVICE_CONTROL_SESSIONCHANGE:
        if (eventType == WTS_SESSION_LOGON || eventType == WTS_SESSION_LOGOFF)
            gSessionEvent = static_cast<WTSSESSION_NOTIFICATION*>(eventData)->dwSessionId;
        break;
    case SERVICE_CONTROL_INTERROGATE: break;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
    SetEvent(gWake);
    return NO_ERROR;
}

void WINAPI serviceMain(DWORD, LPWSTR*) {
    gStatusHandle = RegisterServiceCtrlHandlerExW(kGuardServiceName, &onControl, nullptr);
    if (!gStatusHandle) return;
    gWake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    reportState(SERVICE_RUNNING);
    SessionGuard guard(&systemUtcNow, &shutDownFromService);
    while (!gStopping) {
        switch (gRequest.exchange(0)) {
        case kGuardParentsClose: guard.parentsClose(); break;
        case kGuardFollowAgain: guard.followAgain(); break;
        }
        const DWORD session = gSessionEvent.exchange(0xFFFFFFFF);
        if (session != 0xFFFFFFFF) guard.sessionLogonOrLogoff(session);
        guard.follow();
        WaitForSingleObject(gWake, kFollowMs);
    }
    reportState(SERVICE_STOPPED);
}

}  // namespace

void runGuardService() {
    wchar_t name[sizeof kGuardServiceName / sizeof kGuardServiceName[0]];
    std::wmemcpy(name, kGuardServiceName, sizeof kGuardServiceName / sizeof kGuardServiceName[0]);
    SERVICE_TABLE_ENTRYW services[] = {{name, &serviceMain}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherW(services);
}

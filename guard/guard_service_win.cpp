#include "guard/guard_service_win.h"

#include <windows.h>
#include <wtsapi32.h>

#include <atomic>
#include <cwchar>
#include <mutex>
#include <vector>

#include "guard/guard_requests_win.h"
#include "control/local_time_win.h"
#include "control/shutdown_win.h"
#include "guard/session_guard_win.h"

namespace {

// A module ended in Task Manager is back within this and its own start.
constexpr DWORD kFollowMs = 2000;

// What the service manager told the guard, kept for its loop: a request
// (GuardRequest) or a session change (WTS_SESSION_*), with its session.
struct SessionEvent {
    DWORD what;
    DWORD session;
};

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
HANDLE gWake = nullptr;
std::atomic<bool> gStopping{false};
std::mutex gEventsLock;
std::vector<SessionEvent> gEvents;

void keep(DWORD what, DWORD session) {
    std::lock_guard<std::mutex> lock(gEventsLock);
    gEvents.push_back({what, session});
}

void apply(SessionGuard& guard, const SessionEvent& event) {
    switch (event.what) {
    case kGuardParentsClose: guard.parentsClose(event.session); break;
    case kGuardFollowAgain: guard.followAgain(event.session); break;
    case WTS_SESSION_LOGON:
    case WTS_SESSION_LOGOFF: guard.sessionLogonOrLogoff(event.session); break;
    case WTS_SESSION_LOCK: guard.sessionLocked(event.session, true); break;
    case WTS_SESSION_UNLOCK: guard.sessionLocked(event.session, false); break;
    }
}

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
    case SERVICE_CONTROL_SESSIONCHANGE:
        if (eventData) keep(eventType, static_cast<WTSSESSION_NOTIFICATION*>(eventData)->dwSessionId);
        break;
    case SERVICE_CONTROL_INTERROGATE: break;
    default:
        if (control >= kGuardParentsClose && control < kGuardParentsClose + kGuardRequestSessions)
            keep(kGuardParentsClose, control - kGuardParentsClose);
        else if (control >= kGuardFollowAgain && control < kGuardFollowAgain + kGuardRequestSessions)
            keep(kGuardFollowAgain, control - kGuardFollowAgain);
        else
            return ERROR_CALL_NOT_IMPLEMENTED;
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
        std::vector<SessionEvent> events;
        {
            std::lock_guard<std::mutex> lock(gEventsLock);
            events.swap(gEvents);
        }
        for (const SessionEvent& event : events) apply(guard, event);
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

#include "guard/guard_service_win.h"

#include <windows.h>
#include <wtsapi32.h>

#include <atomic>
#include <cwchar>
#include <mutex>
#include <vector>

#include "shell/guard_presence_win.h"
#include "control/local_time_win.h"
#include "control/shutdown_win.h"
#include "common/system_function_win.h"
#include "guard/awake_clock_win.h"
#include "guard/event_log_win.h"
#include "guard/guard_channel_server_win.h"
#include "guard/session_guard_win.h"
#include "shell/control_commands.h"

namespace {

// A module ended in Task Manager is back within this and its own start.
constexpr DWORD kFollowMs = 2000;

// What the service manager told the guard, kept for its loop: a session
// change (WTS_SESSION_*) with its session, or a power change; and the
// parents' commands granted on the guard's channel, which is how the guard
// learns of them: it grants only to the parents' password.
enum : DWORD { kSuspend = 0x10000, kResume, kParentsMode, kParentsClose };
struct Notice {
    DWORD what;
    DWORD session;
};

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
HANDLE gWake = nullptr;
std::atomic<bool> gStopping{false};
std::mutex gEventsLock;
std::vector<Notice> gEvents;
struct Request {
    DWORD session;
    int32_t minutes;
    std::u16string reason;
};
std::vector<Request> gRequests;

void keep(DWORD what, DWORD session) {
    std::lock_guard<std::mutex> lock(gEventsLock);
    gEvents.push_back({what, session});
}

void apply(SessionGuard& guard, const Notice& notice) {
    switch (notice.what) {
    case kParentsClose: guard.parentsClose(notice.session); break;
    case kParentsMode: guard.parentsMode(notice.session); break;
    case kSuspend: guard.suspend(); break;
    case kResume: guard.resume(); break;
    case WTS_SESSION_LOGON: guard.sessionEvent(notice.session, SessionEvent::Logon); break;
    case WTS_SESSION_LOGOFF: guard.sessionEvent(notice.session, SessionEvent::Logoff); break;
    case WTS_SESSION_LOCK: guard.sessionEvent(notice.session, SessionEvent::Lock); break;
    case WTS_SESSION_UNLOCK: guard.sessionEvent(notice.session, SessionEvent::Unlock); break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT: guard.sessionEvent(notice.session, SessionEvent::Connect); break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT: guard.sessionEvent(notice.session, SessionEvent::Disconnect); break;
    }
}

GuardClock systemClock() { return {systemUtcNow(), awakeUnits()}; }

void logOffSession(DWORD session) {
    static const auto logOff = systemFunction<decltype(&WTSLogoffSession)>(L"wtsapi32.dll", "WTSLogoffSession");
    if (logOff) logOff(WTS_CURRENT_SERVER_HANDLE, session, FALSE);
}

// Disconnected, the session waits behind the sign-in screen, everything in it kept.
void lockSession(DWORD session) {
    static const auto disconnect =
        systemFunction<decltype(&WTSDisconnectSession)>(L"wtsapi32.dll", "WTSDisconnectSession");
    if (disconnect) disconnect(WTS_CURRENT_SERVER_HANDLE, session, FALSE);
}

// The parents, at the computer with their password, turned control off or
// closed the module of their session.
void onGrant(uint32_t session, uint32_t command) {
    if (command == kCommandParents) keep(kParentsMode, session);
    if (command == kCommandClose) keep(kParentsClose, session);
    SetEvent(gWake);
}

// A child asked the parents for more time, through the guard's module.
void onRequest(uint32_t session, int32_t minutes, const std::u16string& reason) {
    {
        std::lock_guard<std::mutex> lock(gEventsLock);
        gRequests.push_back({session, minutes, reason});
    }
    SetEvent(gWake);
}

void reportState(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN |
                                                               SERVICE_ACCEPT_SESSIONCHANGE | SERVICE_ACCEPT_POWEREVENT
                                                         : 0;
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
    case SERVICE_CONTROL_POWEREVENT:
        if (eventType == PBT_APMSUSPEND) keep(kSuspend, 0);
        if (eventType == PBT_APMRESUMEAUTOMATIC || eventType == PBT_APMRESUMESUSPEND) keep(kResume, 0);
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
    reportGuardEvent(kGuardStartedEvent, false);
    ScreenReports screens;
    SessionGuard guard(&systemClock, {&showSceneAs, &shutDownFromService, &logOffSession, &lockSession}, &screens);
    if (GetSystemMetrics(SM_CLEANBOOT) != 0) guard.safeModeStart();
    GuardChannelServer channel(&onGrant, &onRequest, screens);
    while (!gStopping) {
        std::vector<Notice> events;
        std::vector<Request> requests;
        {
            std::lock_guard<std::mutex> lock(gEventsLock);
            events.swap(gEvents);
            requests.swap(gRequests);
        }
        for (const Notice& event : events) apply(guard, event);
        for (const Request& request : requests) guard.timeRequest(request.session, request.minutes, request.reason);
        guard.follow();
        channel.publishModules(guard.modules());
        WaitForSingleObject(gWake, kFollowMs);
    }
    reportGuardEvent(kGuardStoppedEvent, false);
    reportState(SERVICE_STOPPED);
}

}  // namespace

void runGuardService() {
    wchar_t name[sizeof kGuardServiceName / sizeof kGuardServiceName[0]];
    std::wmemcpy(name, kGuardServiceName, sizeof kGuardServiceName / sizeof kGuardServiceName[0]);
    SERVICE_TABLE_ENTRYW services[] = {{name, &serviceMain}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherW(services);
}

#include "guard/guard_requests_win.h"

bool tellGuard(GuardRequest request) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session) || session >= kGuardRequestSessions) return false;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceW(manager, kGuardServiceName, SERVICE_USER_DEFINED_CONTROL);
    SERVICE_STATUS status{};
    const bool sent = service && ControlService(service, request + session, &status);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return sent;
}

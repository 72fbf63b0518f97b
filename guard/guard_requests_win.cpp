#include "guard/guard_requests_win.h"

bool tellGuard(GuardRequest request) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceW(manager, kGuardServiceName, SERVICE_USER_DEFINED_CONTROL);
    SERVICE_STATUS status{};
    const bool sent = service && ControlService(service, request, &status);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return sent;
}

#include "shell/guard_presence_win.h"

#include <tlhelp32.h>

namespace {

constexpr wchar_t kGuardProgram[] = L"qz.exe";  // the service runs "qz.exe /guard"

}  // namespace

DWORD runningGuardProcess() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return 0;
    SC_HANDLE service = OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status{};
    DWORD size = 0;
    const bool running =
        service &&
        QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &size) &&
        status.dwCurrentState == SERVICE_RUNNING;
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return running ? status.dwProcessId : 0;
}

bool startedByGuard() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    // The guard is this program in another role: a parent of another name
    // (the shell, an installer, a test) is not it, and the service manager,
    // which may be slow to answer a first question, is not asked.
    wchar_t name[MAX_PATH] = L"";
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == parent) lstrcpynW(name, entry.szExeFile, MAX_PATH);
    CloseHandle(snapshot);
    return parent != 0 && lstrcmpiW(name, kGuardProgram) == 0 && parent == runningGuardProcess();
}

#include "guard/guard_installation_win.h"

#include <windows.h>
#include <sddl.h>

#include <string>

#include "control/usage_ledger_file_win.h"
#include "guard/event_log_win.h"
#include "shell/guard_presence_win.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "shell/data_locations_win.h"
#include "shell/folder_access_win.h"

// The service manager's defaults for LocalSystem and administrators; logged-on
// and service users may only query it, not start, stop, pause it or send it
// requests.
const wchar_t kGuardServiceAccess[] =
    L"D:(A;;CCLCSWRPWPDTLOCRRC;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)(A;;CCLCSWLORC;;;IU)(A;;CCLCSWLORC;;;SU)";

const wchar_t kCommonFolderAccess[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

namespace {

constexpr DWORD kRestartAfterMs = 2000;
constexpr DWORD kFailureCountResetSeconds = 24 * 60 * 60;
constexpr DWORD kStopWaitMs = 10000;
constexpr DWORD kStopLookMs = 100;

// Safe Mode starts only the services named by a key of these, whose default
// value says "Service"; a child reaches Safe Mode without a password.
constexpr const wchar_t* kSafeBootGroups[] = {L"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\",
                                              L"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\"};
constexpr wchar_t kSafeBootKind[] = L"Service";

std::wstring loadText(UINT id) {
    wchar_t text[512] = L"";
    LoadStringW(GetModuleHandleW(nullptr), id, text, 512);
    return text;
}

// Should the guard itself fail, the service manager starts it again.
void restartOnFailure(SC_HANDLE service) {
    SC_ACTION actions[3] = {{SC_ACTION_RESTART, kRestartAfterMs},
                            {SC_ACTION_RESTART, kRestartAfterMs},
                            {SC_ACTION_RESTART, kRestartAfterMs}};
    SERVICE_FAILURE_ACTIONSW failure{};
    failure.dwResetPeriod = kFailureCountResetSeconds;
    failure.cActions = 3;
    failure.lpsaActions = actions;
    ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure);
}

bool startInSafeMode() {
    bool all = true;
    for (const wchar_t* group : kSafeBootGroups) {
        const std::wstring name = group + std::wstring(kGuardServiceName);
        HKEY key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            all = false;
            continue;
        }
        all = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kSafeBootKind),
                             sizeof kSafeBootKind) == ERROR_SUCCESS &&
              all;
        RegCloseKey(key);
    }
    return all;
}

bool leaveSafeMode() {
    bool all = true;
    for (const wchar_t* group : kSafeBootGroups) {
        const LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, (group + std::wstring(kGuardServiceName)).c_str());
        all = (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) && all;
    }
    return all;
}

// The shared data folder may be a child's from before the installation, with
// files of the suite's names in it, and so may the maker's folder that holds
// it, whose owner could put another folder in its place: both are taken over
// with all they hold.
bool takeOverCommonFolder() {
    const std::wstring common = dataLocations().commonFolder();
    const size_t last = common.find_last_not_of(L'\\');
    const size_t slash = last == std::wstring::npos ? last : common.rfind(L'\\', last);
    if (slash == std::wstring::npos) return false;
    return takeOverFolderTree(common.substr(0, slash).c_str(), kCommonFolderAccess) &&
           takeOverFolderTree(common.c_str(), kCommonFolderAccess);
}

bool restrictAccess(SC_HANDLE service) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kGuardServiceAccess, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    const bool set = SetServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, descriptor) != FALSE;
    LocalFree(descriptor);
    return set;
}

}  // namespace

bool installGuardService() {
    // First, so that the installer's copy of the module lands in a folder of the administrators' even where no
    // service can be registered.
    const bool folders = takeOverCommonFolder();
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring command = L"\"" + std::wstring(program) + L"\" /guard";
    const std::wstring displayName = loadText(IDS_GUARD_DISPLAY_NAME);
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE);
    if (!manager) return false;
    SC_HANDLE service = CreateServiceW(manager, kGuardServiceName, displayName.c_str(), SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS) {
        service = OpenServiceW(manager, kGuardServiceName, SERVICE_ALL_ACCESS);
        if (service &&
            !ChangeServiceConfigW(service, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                  command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, displayName.c_str())) {
            CloseServiceHandle(service);
            service = nullptr;
        }
    }
    CloseServiceHandle(manager);
    if (!service) return false;
    std::wstring description = loadText(IDS_GUARD_DESCRIPTION);
    SERVICE_DESCRIPTIONW text{&description[0]};
    ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &text);
    restartOnFailure(service);
    prepareLedgerFolder();  // where the parents' limits file goes, before anyone else makes it
    keepDigestFromUsers(dataLocations().passwordPath());  // the guard checks passwords from now on
    registerEventSource();
    const bool ready = folders && restrictAccess(service) && startInSafeMode() &&
                       (StartServiceW(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING);
    CloseServiceHandle(service);
    return ready;
}

bool removeGuardService() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceW(manager, kGuardServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    const bool none = !service && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    bool removed = false;
    if (service) {
        // Its process is waited for too: the uninstaller deletes qz.exe next.
        SERVICE_STATUS_PROCESS running{};
        DWORD size = 0;
        QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&running), sizeof running, &size);
        HANDLE process = running.dwProcessId ? OpenProcess(SYNCHRONIZE, FALSE, running.dwProcessId) : nullptr;
        SERVICE_STATUS status{};
        if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
            for (DWORD waited = 0; waited < kStopWaitMs && status.dwCurrentState != SERVICE_STOPPED;
                 waited += kStopLookMs) {
                Sleep(kStopLookMs);
                if (!QueryServiceStatus(service, &status)) break;
            }
            if (process) WaitForSingleObject(process, kStopWaitMs);
        }
        if (process) CloseHandle(process);
        removed = DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    if (none || removed) removeEventSource();
    return leaveSafeMode() && (none || removed);
}

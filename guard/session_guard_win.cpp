#include "guard/session_guard_win.h"

#include <tlhelp32.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

#include "common/whole_file_win.h"
#include "control/controlled_user.h"
#include "settings/settings.h"
#include "shell/data_locations_win.h"
#include "shell/process_identity_win.h"

namespace {

constexpr DWORD kNameCapacity = 256;

// A control module already running in the session, opened to wait on; null
// when there is none. Another program's file of the same name (the system
// has a services.exe of its own) does not count.
HANDLE runningModuleIn(DWORD session) {
    const wchar_t* module = dataLocations().controlModulePath();
    const wchar_t* name = wcsrchr(module, L'\\');
    name = name ? name + 1 : module;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE found = nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        DWORD processSession = 0;
        if (lstrcmpiW(entry.szExeFile, name) != 0 || !ProcessIdToSessionId(entry.th32ProcessID, &processSession) ||
            processSession != session)
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        wchar_t path[MAX_PATH] = L"";
        if (process && programOfProcess(process, path) && lstrcmpiW(path, module) == 0)
            found = process;
        else if (process)
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

bool startedAfter(HANDLE process, const FILETIME& moment) {
    FILETIME created{}, exited{}, kernel{}, user{};
    return GetProcessTimes(process, &created, &exited, &kernel, &user) && CompareFileTime(&created, &moment) > 0;
}

std::u16string userNameOf(HANDLE token) {
    TokenUserBuffer buffer;
    PSID user = userOfToken(token, buffer);
    if (!user) return {};
    wchar_t name[kNameCapacity], domain[kNameCapacity];
    DWORD nameSize = kNameCapacity, domainSize = kNameCapacity;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, user, name, &nameSize, domain, &domainSize, &use)) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(name), nameSize);
}

bool controlsUser(HANDLE token) {
    Settings settings;
    std::vector<uint8_t> image;
    readWholeFile(dataLocations().settingsPath(), image);
    settings.load(image);
    const std::u16string name = userNameOf(token);
    return !name.empty() && isControlledUser(settings, name);
}

// The module as the token's user, on the session's interactive desktop, in
// this program's folder, where it finds qz.exe for the scenes.
HANDLE startModuleAs(HANDLE token) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    if (wchar_t* slash = wcsrchr(folder, L'\\')) slash[1] = 0;
    const wchar_t* module = dataLocations().controlModulePath();
    std::wstring commandLine = L"\"" + std::wstring(module) + L"\" /control";
    void* environment = nullptr;
    if (!CreateEnvironmentBlock(&environment, token, FALSE)) environment = nullptr;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wchar_t desktop[] = L"winsta0\\default";
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessAsUserW(token, module, &commandLine[0], nullptr, nullptr, FALSE,
                                         CREATE_UNICODE_ENVIRONMENT, environment, folder, &startup, &started);
    if (environment) DestroyEnvironmentBlock(environment);
    if (!ok) return nullptr;
    CloseHandle(started.hThread);
    return started.hProcess;
}

}  // namespace

SessionGuard::~SessionGuard() { forgetModule(); }

void SessionGuard::forgetModule() {
    if (module_) CloseHandle(module_);
    module_ = nullptr;
    moduleSession_ = kNoSession;
}

void SessionGuard::follow() {
    const DWORD session = WTSGetActiveConsoleSessionId();
    if (session == kNoSession) return;
    if (module_ && moduleSession_ == session && WaitForSingleObject(module_, 0) == WAIT_TIMEOUT) return;
    forgetModule();
    if (HANDLE running = runningModuleIn(session)) {
        module_ = running;
        moduleSession_ = session;
        // A module that was already there when the parents closed it may still be ending.
        if (leftSession_ == session && startedAfter(running, leftAt_)) leftSession_ = kNoSession;
        return;
    }
    if (leftSession_ == session) return;
    HANDLE token = nullptr;
    if (!WTSQueryUserToken(session, &token)) return;
    if (controlsUser(token)) {
        module_ = startModuleAs(token);
        if (module_) moduleSession_ = session;
    }
    CloseHandle(token);
}

void SessionGuard::parentsClose() {
    leftSession_ = WTSGetActiveConsoleSessionId();
    GetSystemTimeAsFileTime(&leftAt_);
}

void SessionGuard::sessionLogonOrLogoff(DWORD session) {
    if (session == leftSession_) leftSession_ = kNoSession;
}

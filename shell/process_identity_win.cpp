#include "shell/process_identity_win.h"

#include <tlhelp32.h>

#include "common/system_function_win.h"

PSID userOfToken(HANDLE token, TokenUserBuffer& buffer) {
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, buffer.bytes, sizeof buffer.bytes, &size)) return nullptr;
    return reinterpret_cast<TOKEN_USER*>(buffer.bytes)->User.Sid;
}

bool programOfProcess(HANDLE process, wchar_t (&path)[MAX_PATH]) {
    using FullNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    static const auto fullName =
        reinterpret_cast<FullNameFn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW"));
    if (fullName) {
        DWORD size = MAX_PATH;
        return fullName(process, 0, path, &size) != FALSE;
    }
    static const auto moduleName = systemFunction<ModuleNameFn>(L"psapi.dll", "GetModuleFileNameExW");
    return moduleName && moduleName(process, nullptr, path, MAX_PATH) != 0;
}

std::vector<ListedProcess> listedProcesses() {
    std::vector<ListedProcess> listed;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return listed;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        DWORD session = 0;
        if (ProcessIdToSessionId(entry.th32ProcessID, &session))
            listed.push_back({entry.th32ProcessID, session, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return listed;
}


#include "shell/process_identity_win.h"

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

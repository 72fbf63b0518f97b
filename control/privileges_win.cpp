#include "control/privileges_win.h"

bool isUserAnAdmin() {
    using IsUserAnAdminFn = BOOL(WINAPI*)();
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    auto test = shell ? reinterpret_cast<IsUserAnAdminFn>(GetProcAddress(shell, "IsUserAnAdmin")) : nullptr;
    return !test || test();
}

bool isProcessElevated(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

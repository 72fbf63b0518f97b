#include "control/privileges_win.h"

#include <windows.h>

bool isUserAnAdmin() {
    using IsUserAnAdminFn = BOOL(WINAPI*)();
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    auto test = shell ? reinterpret_cast<IsUserAnAdminFn>(GetProcAddress(shell, "IsUserAnAdmin")) : nullptr;
    return !test || test();
}

#include "control/controlled_user_win.h"

#include <windows.h>

#include "control/controlled_user.h"

std::u16string currentUserName() {
    wchar_t name[260];
    DWORD size = 260;
    if (!GetUserNameW(name, &size) || size == 0) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(name), size - 1);
}

bool isControlledUser(const Settings& settings) { return isControlledUser(settings, currentUserName()); }

#include "control/last_input_win.h"

namespace {

bool isBeforeWindows2000() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion < 5;
}

using GetLastInputInfoFn = BOOL(WINAPI*)(LASTINPUTINFO*);

GetLastInputInfoFn systemLastInput() {
    static const GetLastInputInfoFn function = [] {
        HMODULE user = LoadLibraryA("user32.dll");
        return user ? reinterpret_cast<GetLastInputInfoFn>(GetProcAddress(user, "GetLastInputInfo")) : nullptr;
    }();
    return function;
}

}  // namespace

DWORD lastInputTickByCursor() {
    static POINT seen{-1, -1};
    static DWORD movedAt = 0;
    POINT cursor;
    if (GetCursorPos(&cursor) && (cursor.x != seen.x || cursor.y != seen.y)) {
        seen = cursor;
        movedAt = GetTickCount();
    }
    return movedAt;
}

DWORD lastInputTick() {
    static const bool useCursor = isBeforeWindows2000();
    if (useCursor) return lastInputTickByCursor();
    const GetLastInputInfoFn function = systemLastInput();
    if (!function) return 0;
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    if (!function(&info)) return 0;
    return info.dwTime;
}

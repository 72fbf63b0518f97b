#include "control/program_windows_win.h"

namespace {

BOOL CALLBACK closeWindowOf(HWND window, LPARAM process) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process) && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

void askWindowsToClose(DWORD process) {
    if (process) EnumWindows(&closeWindowOf, static_cast<LPARAM>(process));
}

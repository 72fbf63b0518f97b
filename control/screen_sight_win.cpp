#include "control/screen_sight_win.h"

#include <windows.h>

#include <algorithm>

namespace {

BOOL CALLBACK noteShownWindow(HWND window, LPARAM found) {
    auto& processes = *reinterpret_cast<std::vector<uint32_t>*>(found);
    RECT area{};
    if (!IsWindowVisible(window) || IsIconic(window) || !GetWindowRect(window, &area) || IsRectEmpty(&area))
        return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::find(processes.begin(), processes.end(), process) == processes.end()) processes.push_back(process);
    return TRUE;
}

}  // namespace

GuardQuestion screenSight() {
    GuardQuestion question{GuardAsk::Screen, {}};
    EnumWindows(&noteShownWindow, reinterpret_cast<LPARAM>(&question.onScreen));
    DWORD foreground = 0;
    if (HWND front = GetForegroundWindow()) GetWindowThreadProcessId(front, &foreground);
    question.command = foreground;
    return question;
}

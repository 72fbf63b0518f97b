#include "app/program_notes_win.h"

#include <string>

#include "resources/resource_ids.h"
#include "shell/messages_win.h"

namespace {

BOOL CALLBACK closeWindowOf(HWND window, LPARAM process) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process) && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void tell(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), loadedString(IDS_MODULE_CAPTION).c_str(), MB_ICONINFORMATION | MB_TOPMOST);
}

}  // namespace

void warnOfProgramEnd(UINT minutesLeft) {
    wchar_t text[256];
    wsprintfW(text, loadedString(IDS_PROGRAM_WARNING).c_str(), minutesLeft);
    tell(text);
}

void closeProgramWindows(DWORD process) {
    if (!process) return;
    EnumWindows(&closeWindowOf, static_cast<LPARAM>(process));
    tell(loadedString(IDS_PROGRAM_CLOSING));
}

void tellProgramEnded() { tell(loadedString(IDS_PROGRAM_ENDED)); }

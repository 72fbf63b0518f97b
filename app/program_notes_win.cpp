#include "app/program_notes_win.h"

#include "control/program_windows_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

namespace {

void tell(UINT textId) { messageBox(nullptr, textId, IDS_MODULE_CAPTION, IDS_MODULE_NAME_ENGLISH, false); }

}  // namespace

// The one note with a number in it: the caption is the module's name, ASCII on every code page.
void warnOfProgramEnd(UINT minutesLeft) {
    wchar_t text[256];
    wsprintfW(text, loadedString(IDS_PROGRAM_WARNING).c_str(), minutesLeft);
    MessageBoxW(nullptr, text, loadedString(IDS_MODULE_CAPTION).c_str(), MB_ICONINFORMATION | MB_TOPMOST);
}

void closeProgramWindows(DWORD process) {
    if (!process) return;
    askWindowsToClose(process);
    tell(IDS_PROGRAM_CLOSING);
}

void tellProgramEnded() { tell(IDS_PROGRAM_ENDED); }

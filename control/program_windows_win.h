#pragma once
#include <windows.h>

// A limited program's visible windows on this desktop are asked to close, as
// their close box does, which lets a game ask to save; the guard ends the
// process a minute later.
void askWindowsToClose(DWORD process);

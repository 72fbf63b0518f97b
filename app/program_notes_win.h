#pragma once
#include <windows.h>

// What the child's own qz.exe does and says when the guard asks, for a program
// the parents limit, where no module of the guard's reports the session's
// screen (the guard's service cannot reach the child's desktop; its module
// tells the same in balloons). Each says why in a message box of its own,
// which leaves the program running.

// The minutes left today.
void warnOfProgramEnd(UINT minutesLeft);
// The process's windows are asked to close, as their close box does, which
// lets a game ask to save; the guard ends the process a minute later.
void closeProgramWindows(DWORD process);
// The guard ended the program: its time for today is over.
void tellProgramEnded();

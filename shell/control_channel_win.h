#pragma once
#include <windows.h>

#include "shell/control_commands.h"

// Finds a top-level window of the suite by its exact title that answers the
// window test with the right proof; windows that fail are skipped.
HWND findSuiteWindow(const wchar_t* title);

// Finds the control module's window, starting the module when allowed
// (32 attempts, 250 ms apart).
HWND locateControlWindow(bool mayStart);

// Sends a command to the control module, with the password through the
// hand-over file when one is given. -1 when no control window was reached.
LRESULT sendControlCommand(UINT code, LPARAM flag, const wchar_t* password);

// Proves administrator rights to the window with a challenge and its proof.
void proveAdministrator(HWND controlWindow);

void requestChildMode();
void requestParentsMode(const wchar_t* password);
LRESULT queryMode();

// Fills the hand-over file with zeros and deletes it.
void wipeHandOverFile();

// Raises the window above all others without leaving it topmost.
void bringWindowToFront(HWND window);

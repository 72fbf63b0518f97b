#pragma once
#include <windows.h>

#include "resources/resource_ids.h"
#include "shell/control_commands.h"

constexpr wchar_t kControlWindowTitle[] = L"" CONTROL_WINDOW_TITLE;

// Finds a top-level window of the suite by its exact title that answers the
// window test with the right proof; windows that fail are skipped.
HWND findSuiteWindow(const wchar_t* title);

// Finds the control module's window, starting the module when allowed
// (32 attempts, 250 ms apart).
HWND locateControlWindow(bool mayStart);

// Sends a command to the control module, with the password through the
// hand-over file when one is given. -1 when no control window was reached.
int32_t sendControlCommand(UINT code, uint32_t argument, const wchar_t* password);

// Proves administrator rights to the window with a challenge and its proof.
void proveAdministrator(HWND controlWindow);

void requestChildMode();
void requestParentsMode(const wchar_t* password);
int32_t queryMode();

// A window handle as the control channel carries it, and back: handles are
// 32-bit values in both widths, sign-extended where they are wider.
uint32_t windowToCommandValue(HWND window);
HWND windowFromCommandValue(int32_t value);

// The application-data folder of the user who runs the control window: a
// password goes into that user's hand-over file, the one the module reads. A
// sender may run as another user: in a child's session the settings dialog
// and qza.exe run as the administrator whose name was typed into the
// elevation prompt. appDataFolderOfWindowUser unless a test replaces it;
// where it fails, the sender's own hand-over file is used.
extern bool (*controlWindowUserFolder)(HWND controlWindow, wchar_t (&folder)[MAX_PATH]);

// Fills the hand-over file with zeros and deletes it.
void wipeHandOverFile(const wchar_t* path);

// Windows (Vista on) drops messages sent to an elevated process from
// processes of lower integrity. Every window that answers the window test
// (the control module, the password prompt, the side window) calls this once
// it has its title: where its process is elevated, the control message, and
// only it, is let in from lower levels. Tests replace it.
extern void (*letControlMessageIn)(HWND window);

// Raises the window above all others without leaving it topmost.
void bringWindowToFront(HWND window);

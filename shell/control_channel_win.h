#pragma once
#include <windows.h>

#include "resources/resource_ids.h"
#include "shell/control_commands.h"
#include "shell/window_user_win.h"

constexpr wchar_t kControlWindowTitle[] = L"" CONTROL_WINDOW_TITLE;

// True when the window answers the window test with the right proof. A window
// that does not answer in time fails it, so that a hung impostor cannot stop
// the caller.
bool passesWindowTest(HWND window);

// Finds a top-level window of the suite by its exact title that answers the
// window test with the right proof; windows that fail are skipped.
HWND findSuiteWindow(const wchar_t* title);

// The control module's window: where the guard runs, the one its module
// shows; otherwise the first window of the title that answers the window test.
HWND findControlWindow();

// Finds the control module's window, starting the module once when allowed
// (never where the guard answers for the session's module: the guard starts
// it) and then looking for its window (32 looks, 250 ms apart).
HWND locateControlWindow(bool mayStart);

// Sends a command to the control module, with the password when one is
// given: where the guard runs, to the guard, which lets its module follow the
// command (the command then goes without one, and not at all when the guard
// refuses the password); otherwise through the hand-over file of the module's user. Nothing is sent when
// no control window was reached, or the password could not be handed over.
constexpr int32_t kNoControlWindow = -1;
constexpr int32_t kHandOverFailed = -2;
int32_t sendControlCommand(UINT code, uint32_t argument, const wchar_t* password);

// Proves administrator rights to the window with a challenge and its proof.
void proveAdministrator(HWND controlWindow);

void requestChildMode();
int32_t requestParentsMode(const wchar_t* password);
int32_t queryMode();

// A window handle as the control channel carries it, and back: handles are
// 32-bit values in both widths, sign-extended where they are wider.
uint32_t windowToCommandValue(HWND window);
HWND windowFromCommandValue(int32_t value);

// Looks up the user who runs the control window, whose hand-over file the
// module reads: findWindowUser unless a test replaces it. The sender writes
// and wipes that file acting as that user, and sends nothing where the user
// or their file cannot be reached: it never falls back on its own folder.
extern bool (*controlWindowUser)(HWND controlWindow, WindowUser& user);

// Windows (Vista on) drops messages sent to a process above medium integrity
// (elevated, or the guard's module) from processes of lower integrity. Every
// window that answers the window test (the control module, the password
// prompt, the side window) calls this once it has its title: where its
// process runs above medium, the control message is let in from lower
// levels. Tests replace it.
extern void (*letControlMessageIn)(HWND window);
// The same for one other message a window must hear from the user's own
// programs; each caller names its reason.
void letMessageIn(HWND window, UINT message);

// Raises the window above all others without leaving it topmost.
void bringWindowToFront(HWND window);

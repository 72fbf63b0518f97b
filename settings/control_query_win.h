#pragma once
#include <windows.h>

// The message every process of the suite sends to the control module's window.
constexpr UINT WM_CONTROL_COMMAND = WM_USER + 101;
constexpr WPARAM kCommandTestQuery = 1038;
constexpr WPARAM kCommandTestCloseWindow = 1042;

// True when the control module, found by its title and tested with a challenge,
// answers "Test close window" positively. A missing module is not started.
bool controlModuleAsksToClose();

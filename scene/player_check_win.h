#pragma once
#include <windows.h>

// Checks once per process that the Flash Player can play the suite's scenes
// and offers its installation otherwise; the settings dialogs call it on
// their first timer tick.
void checkPlayerOnce(HWND owner);

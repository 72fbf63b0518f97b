#pragma once
#include <windows.h>

// Registers (and removes) the player control's window class for the module.
bool registerMovieControlClass(HINSTANCE module);
void unregisterMovieControlClass(HINSTANCE module);

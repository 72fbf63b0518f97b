#pragma once
#include <windows.h>

// Registers (and removes) the player control's window class for the module.
bool registerMovieControlClass(HINSTANCE module);
void unregisterMovieControlClass(HINSTANCE module);
// Loads a movie into a control window; false leaves it empty.
bool putMovie(HWND control, const char* ansiPath);

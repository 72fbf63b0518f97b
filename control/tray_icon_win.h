#pragma once
#include <windows.h>

// Message the shell sends to the window for mouse events on its icon (lParam: the mouse message).
constexpr UINT kTrayCallbackMessage = WM_USER + 1;

// Adds (shown) or removes the window's notification-area icon, id 0, with the
// tool tip of string 119. The shell's answer is not examined.
void showTrayIcon(HWND window, HICON icon, bool shown);

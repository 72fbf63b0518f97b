#pragma once
#include <windows.h>

// Message the shell sends to the window for mouse events on its icon (lParam: the mouse message).
constexpr UINT kTrayCallbackMessage = WM_USER + 1;

// Adds (shown) or removes the window's notification-area icon, id 0, with the
// tool tip. The shell's answer is not examined.
void showTrayIcon(HWND window, HICON icon, bool shown, const wchar_t* tip);
// Replaces the tip of the shown icon.
void setTrayTip(HWND window, const wchar_t* tip);
// A balloon by the icon, without a sound, which takes no focus; systems
// before Windows 2000 show none.
void showTrayBalloon(HWND window, const wchar_t* title, const wchar_t* text);

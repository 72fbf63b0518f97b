#pragma once
#include <windows.h>

// Asks for WM_WTSSESSION_CHANGE about this session, where the system offers it.
void registerSessionNotifications(HWND window);
void unregisterSessionNotifications(HWND window);

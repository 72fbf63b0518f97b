#pragma once
#include <windows.h>

#include <string>

// Asks where to save the user's history (the save dialog offers "История
// <user>.csv") and copies it there as the guard keeps it: semicolon-separated
// lines a spreadsheet opens. A user with no history yet gets the header line.
// False only when it could not be saved; a cancelled dialog is no failure.
bool exportHistory(HWND owner, const std::wstring& userName);

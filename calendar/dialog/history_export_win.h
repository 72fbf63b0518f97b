#pragma once
#include <windows.h>

#include <string>

// Asks where to save the user's history (the save dialog offers "История
// <user>.csv") and writes it there as the guard keeps it: semicolon-separated
// lines a spreadsheet opens. False only when it could not be saved; a
// cancelled dialog is no failure.
bool exportHistory(HWND owner, const std::wstring& userName, const std::string& history);

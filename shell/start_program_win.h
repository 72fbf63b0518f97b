#pragma once
#include <windows.h>

// Opens a program of the suite through the shell, with the current directory
// as its working directory, without waiting. 0 when started, 1 when the file
// does not exist.
int startProgram(const wchar_t* file, const wchar_t* parameters, int show);
// The same, keeping the started process: its handle, or null when the file
// does not exist or the shell started none.
HANDLE startProcess(const wchar_t* file, const wchar_t* parameters, int show);

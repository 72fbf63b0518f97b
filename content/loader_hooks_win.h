#pragma once
#include <windows.h>

// Keeps modules loaded after installation under the same replacements, and
// makes GetProcAddress hand out the replacements instead of the functions they
// stand in for.

// Records the five loader replacements; patchAllModulesWithEveryHook then
// puts them in place.
void addLoaderHooks();

// The real function, then patchNewModule on the module it returned.
HMODULE WINAPI hookLoadLibraryA(LPCSTR name);
HMODULE WINAPI hookLoadLibraryW(LPCWSTR name);
HMODULE WINAPI hookLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags);
HMODULE WINAPI hookLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags);
// The real function, or the replacement when what it found has one.
FARPROC WINAPI hookGetProcAddress(HMODULE module, LPCSTR name);

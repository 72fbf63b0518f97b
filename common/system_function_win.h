#pragma once
#include <windows.h>

// A function of a Windows library that only some roles call, found when first
// asked for: the library is loaded then, from the system folder, so a process
// that never calls it (a scene's) does not load it and its dependencies at its
// start. Null when the library or the function is missing. Keep the result in
// a static: each call loads the library once more.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + lstrlenW(library) + 2 > MAX_PATH) return nullptr;
    path[length] = L'\\';
    lstrcpyW(path + length + 1, library);
    HMODULE module = LoadLibraryW(path);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

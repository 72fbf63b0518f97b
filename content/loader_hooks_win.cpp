#include "content/loader_hooks_win.h"

#include "content/import_patch_win.h"

namespace {

// The system's functions, saved at installation.
decltype(&LoadLibraryA) realLoadLibraryA;
decltype(&LoadLibraryW) realLoadLibraryW;
decltype(&LoadLibraryExA) realLoadLibraryExA;
decltype(&LoadLibraryExW) realLoadLibraryExW;
decltype(&GetProcAddress) realGetProcAddress;

HMODULE patched(HMODULE module, DWORD flags) {
    DWORD error = GetLastError();
    patchNewModule(module, flags);
    SetLastError(error);
    return module;
}

template <typename Function>
void hook(HMODULE kernel32, const char* name, Function replacement, Function& saved) {
    FARPROC exported = GetProcAddress(kernel32, name);
    if (!exported) return;
    saved = reinterpret_cast<Function>(implementationOf(reinterpret_cast<const void*>(exported)));
    addHook("kernel32.dll", reinterpret_cast<const void*>(exported), reinterpret_cast<const void*>(replacement));
}

}  // namespace

void addLoaderHooks() {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    hook(kernel32, "LoadLibraryA", &hookLoadLibraryA, realLoadLibraryA);
    hook(kernel32, "LoadLibraryW", &hookLoadLibraryW, realLoadLibraryW);
    hook(kernel32, "LoadLibraryExA", &hookLoadLibraryExA, realLoadLibraryExA);
    hook(kernel32, "LoadLibraryExW", &hookLoadLibraryExW, realLoadLibraryExW);
    hook(kernel32, "GetProcAddress", &hookGetProcAddress, realGetProcAddress);
}

HMODULE WINAPI hookLoadLibraryA(LPCSTR name) { return patched(realLoadLibraryA(name), 0); }
HMODULE WINAPI hookLoadLibraryW(LPCWSTR name) { return patched(realLoadLibraryW(name), 0); }

HMODULE WINAPI hookLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
    return patched(realLoadLibraryExA(name, file, flags), flags);
}

HMODULE WINAPI hookLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
    return patched(realLoadLibraryExW(name, file, flags), flags);
}

FARPROC WINAPI hookGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC found = realGetProcAddress(module, name);
    if (!found) return found;
    const void* replacement = replacementFor(reinterpret_cast<const void*>(found));
    return replacement ? reinterpret_cast<FARPROC>(replacement) : found;
}

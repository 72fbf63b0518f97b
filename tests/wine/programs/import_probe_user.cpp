// A library that reads through its own import of ReadFile and pulls in
// import_probe.dll as a dependency.
#include <windows.h>

extern "C" __declspec(dllimport) BOOL probeReadFile(HANDLE file, void* buffer, DWORD length, DWORD* got);

extern "C" __declspec(dllexport) BOOL userReadFile(HANDLE file, void* buffer, DWORD length, DWORD* got) {
    return ReadFile(file, buffer, length, got, nullptr);
}

extern "C" __declspec(dllexport) BOOL userReadThroughDependency(HANDLE file, void* buffer, DWORD length, DWORD* got) {
    return probeReadFile(file, buffer, length, got);
}

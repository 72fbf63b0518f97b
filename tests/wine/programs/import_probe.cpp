// A library that reads files through its own import of ReadFile.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL probeReadFile(HANDLE file, void* buffer, DWORD length, DWORD* got) {
    return ReadFile(file, buffer, length, got, nullptr);
}

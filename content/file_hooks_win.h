#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "content/import_patch_win.h"
#include "content/loader_hooks_win.h"

// Movies read from memory through placeholder files. A movie is registered
// under a placeholder file that holds a random marker; the file functions of
// every module are replaced, and a handle whose first bytes are a registered
// marker is served the movie from memory.

// Records and patches the replacements of ReadFile, CloseHandle and
// SetFilePointer (after the loader's). Does nothing while they are installed.
void installFileHooks();

// Writes the placeholder (exactly the marker) at `path` and registers the
// movie, which the registry owns from now on. A placeholder that cannot be
// written leaves a movie that nothing binds.
void registerVirtualFile(const wchar_t* path, std::unique_ptr<uint8_t[]> data, size_t size, bool deleteOnLastClose,
                         unsigned maxMatches);
// Deletes every placeholder, frees every movie and forgets every handle.
void releaseVirtualFiles();
size_t registeredVirtualFiles();

// The replacements, declared like the functions they stand in for.
BOOL WINAPI hookReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
DWORD WINAPI hookSetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method);
BOOL WINAPI hookCloseHandle(HANDLE handle);

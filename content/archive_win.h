#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "content/archive.h"

// The process-wide content archive: mounted on first need from the first
// "*.vfs" of the current directory; null while none can be mounted, and tried
// again on the next call.
VfsArchive* vfsArchive();
// Releases the process-wide archive and closes its file.
void vfsCloseArchive();

// Mounts the first file matching the pattern; the archive's file name is the
// pattern's folder part followed by the found name. The file stays open with
// read sharing only while mounted. error: kVfsNotFound when nothing matches or
// the file cannot be opened, kVfsNotAnArchive when it is not an archive.
std::unique_ptr<VfsArchive> vfsOpenArchive(const wchar_t* pattern, VfsCodec codec, int* error = nullptr);

// The portable reads, for paths as the Win32 code holds them; the path is folded
// with the system's lower-casing first. vfsReadFileA takes a path in the ANSI
// code page.
VfsBuffer vfsReadFile(VfsArchive* archive, const wchar_t* path, uint32_t* size);
VfsBuffer vfsReadFileA(VfsArchive* archive, const char* path, uint32_t* size);

#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

// Reads the whole file into the buffer (sized to the file); returns the bytes
// read, or 0 with the buffer untouched when the file cannot be opened or is
// larger than 64 MiB.
DWORD readWholeFile(const wchar_t* path, std::vector<uint8_t>& buffer);

// The whole file, empty where there is none, and nothing where one is there
// but cannot be read now (held open by another program, no right, too large),
// which a reader that keeps what it last read must not take for none.
std::optional<std::vector<uint8_t>> readExistingFile(const wchar_t* path);

// Replaces the file's contents with the bytes, atomically: they are written
// and flushed to a temporary file in the same folder, which then takes the
// file's place. On failure the old file stays as it was and false is returned.
bool writeWholeFile(const wchar_t* path, const uint8_t* bytes, DWORD length);

#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "control/state_record.h"

// The per-user state file, open for reading and writing for as long as the
// object lives, others only reading it (the guard follows it; nobody edits it
// under the module); created when missing. When it cannot be opened
// every read gives nothing and every write is dropped.
class StateFile {
public:
    explicit StateFile(const wchar_t* path);
    ~StateFile();
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;

    bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // Reads from the start of the file; the number of bytes read.
    size_t read(uint8_t* bytes, size_t capacity);
    // Writes the record at the start of the file and flushes it to disk.
    void write(const StateImage& image);

private:
    HANDLE file_;
};

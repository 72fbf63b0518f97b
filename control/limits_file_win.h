#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The parents' limits file, "limits.txt" in the folder users only read (the
// guard's ledgers'): key-value text as UTF-16 with its byte-order mark, or as
// UTF-8, which Notepad writes by default (text that is not UTF-8 is read in
// the ANSI code page, older Notepads' default). Its text without the mark;
// empty where there is none; nothing where one is there but cannot be read
// whole (locked, or over 1 MiB), which is not the same as none for a writer.
std::optional<std::u16string> readLimitsText();
// The file's path, and the text of its bytes as read from it (nothing over 1 MiB).
bool limitsFilePath(wchar_t (&path)[MAX_PATH]);
std::optional<std::u16string> limitsTextOf(const std::vector<uint8_t>& bytes);
// Replaces the file whole, as UTF-16 with its byte-order mark, as the guard
// writes its ledgers (the folder made with its access); false when it cannot.
bool writeLimitsFile(const std::u16string& text);

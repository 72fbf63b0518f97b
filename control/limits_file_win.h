#pragma once
#include <string>

// The parents' limits file, "limits.txt" in the folder users only read (the
// guard's ledgers'): key-value text as UTF-16 with its byte-order mark, or as
// UTF-8, which Notepad writes by default. Its text without the mark; empty
// where there is none.
std::u16string readLimitsFile();
// Replaces the file whole, as UTF-16 with its byte-order mark, as the guard
// writes its ledgers (the folder made with its access); false when it cannot.
bool writeLimitsFile(const std::u16string& text);

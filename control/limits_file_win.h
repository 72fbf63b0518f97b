#pragma once
#include <string>

// The parents' limits file, "limits.txt" in the folder users only read (the
// guard's ledgers'): key-value text as UTF-16 with its byte-order mark, or as
// UTF-8, which Notepad writes by default. Empty where there is none.
std::u16string readLimitsFile();

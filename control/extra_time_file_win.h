#pragma once
#include <windows.h>

#include <cstdint>

// Grants a user extra time in their extra time file (the ledger folder's,
// which only administrators write): from the later of now and the end still
// to come. False where the file cannot be written.
bool grantExtraTime(const wchar_t* path, int32_t minutes);

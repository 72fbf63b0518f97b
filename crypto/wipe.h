#pragma once
#include <cstddef>
#include <string>

// Overwrites memory that held a secret (a password) with zeros, in stores
// the compiler may not drop even when the memory is freed right after.
void wipeMemory(void* data, size_t size);
// Zeros the text's characters, then empties it.
void wipeText(std::u16string& text);

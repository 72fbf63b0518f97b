#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The longest password the control module takes from the hand-over file, in code units.
constexpr size_t kHandOverPasswordLimit = 1024;
// Bytes the control module reads from the hand-over file.
constexpr size_t kHandOverReadBytes = 2 * (kHandOverPasswordLimit + 1);

// The password in a hand-over file image (UTF-16LE, zero-terminated): up to its
// terminator, the end of the image, or 1024 code units, whichever comes first.
std::u16string passwordFromHandOver(const uint8_t* bytes, size_t size);

#pragma once
#include <cstdint>

// Deflate cannot expand its input more than this many times (a 258-byte match
// in two bits); a stream claiming more is damaged.
constexpr uint64_t kMostDeflateExpansion = 1032;

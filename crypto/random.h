#pragma once
// Random numbers from a byte source; a null source means the system's
// cryptographic provider (randomBytes).
#include <cstddef>
#include <cstdint>

using RandomSource = void (*)(void* buffer, size_t length);

// Fills the buffer from the system's cryptographic provider. When the provider
// is unavailable the buffer keeps its previous contents.
void randomBytes(void* buffer, size_t length);

// Four bytes of the source read as a little-endian number.
uint32_t randomUInt32(RandomSource source);
// A value in [0, 1): randomUInt32 scaled by 2^-32.
double randomUnit(RandomSource source);
// lo + a truncated randomUnit * (hi - lo): in [lo, hi) for lo < hi, lo for
// lo == hi; a lo above hi is taken as hi.
uint32_t randomInRange(uint32_t lo, uint32_t hi, RandomSource source);

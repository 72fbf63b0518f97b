#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// Extra time the parents grant: until a UTC moment (FILETIME), nothing counts
// towards a limit and nothing sends the child to bed; afterwards the limit
// that was reached does so again. Only an administrator's process writes the
// moment, as an 8-byte little-endian file in the folder users only read.
constexpr size_t kExtraTimeSize = 8;
using ExtraTimeImage = std::array<uint8_t, kExtraTimeSize>;

ExtraTimeImage encodeExtraTime(uint64_t until);
// 0 (no extra time) for an image that is not whole.
uint64_t decodeExtraTime(const uint8_t* bytes, size_t size);

// The end after the parents grant minutes at now: counted from the later of
// now and an end still to come.
uint64_t extraTimeAfterGrant(uint64_t until, uint64_t now, int32_t minutes);

#pragma once
#include <cstddef>
#include <cstdint>

// The unsigned little-endian fields of the suite's small binary files.
inline void putLittleEndian(uint8_t* at, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t getLittleEndian(const uint8_t* at, size_t width) {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint64_t{at[i]} << (8 * i);
    return value;
}

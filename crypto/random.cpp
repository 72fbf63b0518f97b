#include "crypto/random.h"

uint32_t randomUInt32(RandomSource source) {
    uint8_t bytes[4] = {};
    (source ? source : randomBytes)(bytes, sizeof bytes);
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

double randomUnit(RandomSource source) { return randomUInt32(source) * (1.0 / 4294967296.0); }

uint32_t randomInRange(uint32_t lo, uint32_t hi, RandomSource source) {
    if (lo > hi) lo = hi;
    return lo + uint32_t(randomUnit(source) * double(hi - lo));
}

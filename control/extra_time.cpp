#include "control/extra_time.h"

#include <algorithm>

#include "control/usage_time.h"

ExtraTimeImage encodeExtraTime(uint64_t until) {
    ExtraTimeImage image{};
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(until >> (8 * i));
    return image;
}

uint64_t decodeExtraTime(const uint8_t* bytes, size_t size) {
    uint64_t until = 0;
    for (size_t i = 0; size == kExtraTimeSize && i < size; ++i) until |= uint64_t{bytes[i]} << (8 * i);
    return until;
}

uint64_t extraTimeAfterGrant(uint64_t until, uint64_t now, int32_t minutes) {
    return std::max(until, now) + static_cast<uint64_t>(minutes) * kUnitsPerMinute;
}

#include "control/extra_time.h"

#include <algorithm>

#include "common/little_endian.h"
#include "control/usage_time.h"

ExtraTimeImage encodeExtraTime(uint64_t until) {
    ExtraTimeImage image{};
    putLittleEndian(image.data(), until, image.size());
    return image;
}

uint64_t decodeExtraTime(const uint8_t* bytes, size_t size) {
    return size == kExtraTimeSize ? getLittleEndian(bytes, size) : 0;
}

uint64_t extraTimeAfterGrant(uint64_t until, uint64_t now, int32_t minutes) {
    return std::max(until, now) + static_cast<uint64_t>(minutes) * kUnitsPerMinute;
}

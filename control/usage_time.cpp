#include "control/usage_time.h"

#include <limits>

int64_t unitsBetween(uint64_t earlier, uint64_t later) { return static_cast<int64_t>(later - earlier); }

int32_t minutesBetween(uint64_t earlier, uint64_t later) {
    const int64_t minutes = unitsBetween(earlier, later) / kUnitsPerMinute;
    if (minutes > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (minutes < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(minutes);
}

bool isLaterTick(uint32_t tick, uint32_t reference) { return static_cast<int32_t>(tick - reference) > 0; }

uint32_t idleSeconds(uint32_t now, uint32_t lastInput) {
    if (isLaterTick(lastInput, now)) return 0;
    return (now - lastInput) / 1000;
}

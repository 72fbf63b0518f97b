#include "control/usage_time.h"

#include <limits>

std::int64_t unitsBetween(std::uint64_t earlier, std::uint64_t later) {
    return static_cast<std::int64_t>(later - earlier);
}

std::int32_t minutesBetween(std::uint64_t earlier, std::uint64_t later) {
    const std::int64_t minutes = unitsBetween(earlier, later) / kUnitsPerMinute;
    if (minutes > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (minutes < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(minutes);
}

bool isLaterTick(std::uint32_t tick, std::uint32_t reference) {
    return static_cast<std::int32_t>(tick - reference) > 0;
}

std::uint32_t idleSeconds(std::uint32_t now, std::uint32_t lastInput) {
    if (isLaterTick(lastInput, now)) return 0;
    return (now - lastInput) / 1000;
}

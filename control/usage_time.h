#pragma once
#include <cstdint>

// Clock values the control module works with: UTC FILETIME (100 ns units since
// 1601) and the 32-bit millisecond tick count, which wraps after 49.7 days.
constexpr int64_t kUnitsPerSecond = 10'000'000;
constexpr int64_t kUnitsPerMinute = 60 * kUnitsPerSecond;
constexpr int64_t kUnitsPerMillisecond = kUnitsPerSecond / 1000;

// One reading of both clocks, taken by the window when a timer or a command arrives.
struct Moment {
    uint64_t utc = 0;
    uint32_t tick = 0;
};

// later − earlier as a signed count of 100 ns units (negative after a clock set backwards).
int64_t unitsBetween(uint64_t earlier, uint64_t later);

// Whole minutes from earlier to later, truncated toward zero and held within 32 bits.
int32_t minutesBetween(uint64_t earlier, uint64_t later);

// Whether tick comes after reference, across a wrap of the tick count.
bool isLaterTick(uint32_t tick, uint32_t reference);

// Whole seconds since the last input; 0 when the input is newer than the reading of now.
uint32_t idleSeconds(uint32_t now, uint32_t lastInput);

#pragma once
#include <cstdint>

#include "control/calendar_record.h"

// The wall-clock minute of a UTC FILETIME, by the time zone's rules for that
// date (daylight saving included).
LocalMinute localMinuteOf(uint64_t utc);

// The system clock now, as a UTC FILETIME.
uint64_t systemUtcNow();

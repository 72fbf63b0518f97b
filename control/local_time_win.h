#pragma once
#include <cstdint>
#include <string>

#include "calendar/calendar_record.h"

// The wall-clock minute of a UTC FILETIME by a time zone's rules for that date
// (daylight saving included): the zone the system's list has under that name
// (a list only administrators change), else the computer's current zone.
LocalMinute localMinuteOf(uint64_t utc, const std::u16string& zone = std::u16string());

// The name of the computer's current time zone in that list; empty where the
// system does not tell it (Windows XP).
std::u16string currentTimeZoneName();

// The system clock now, as a UTC FILETIME.
uint64_t systemUtcNow();

#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "calendar/calendar_record.h"

// A child's records of the programs the parents limit, as the guard keeps
// them in its own folder so that a restart of the computer gives no minutes
// back: for each group, its name in lower case (a 16-bit count of UTF-16
// units, then the units, little-endian) and its calendar record's image.
std::vector<uint8_t> encodeProgramRecords(const std::map<std::u16string, CalendarRecord>& records);
// What a damaged or cut file still holds whole; nothing past it.
std::map<std::u16string, CalendarRecord> decodeProgramRecords(const uint8_t* bytes, size_t size);

#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

constexpr int32_t kMinutesPerDay = 24 * 60;

// A moment on the computer's wall clock, as whole minutes since midnight
// local time of 1 January 1601, a Monday.
using LocalMinute = int64_t;

// What the calendar remembers of a user between minutes and starts: the day
// whose budget is being used, its used minutes, exercises and shut-downs (the
// day's line of the history), and the moment it last found the computer
// closed. Its 28-byte little-endian image is the calendar file.
struct CalendarRecord {
    int32_t budgetDay = 0;
    int32_t usedMinutes = 0;
    LocalMinute closedAt = 0;  // 0: never closed
    int32_t exercises = 0;
    int32_t shutdowns = 0;
    // The module is in parents' mode: the guard holds no closed hours while
    // that module runs. Never kept in the guard's copy.
    bool parentsMode = false;
};

constexpr size_t kCalendarRecordSize = 28;
using CalendarImage = std::array<uint8_t, kCalendarRecordSize>;

CalendarImage encodeCalendarRecord(const CalendarRecord& record);
// A shorter image (a new file) gives a fresh record, negative fields their fresh values.
CalendarRecord decodeCalendarRecord(const uint8_t* bytes, size_t size);

// The record a module or the guard goes on from: the trusted one (the guard's
// ledger) made no kinder by the other (the module's own file): the later
// budget day's counts, the higher counts of the same day, the later close. A
// record ahead of the wall clock (an edited file) is not taken.
CalendarRecord stricterCalendarRecord(const CalendarRecord& own, const CalendarRecord& trusted, LocalMinute now);

#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "calendar/weekly_calendar.h"

// What the parents typed for one weekday: its hours and its budget of minutes.
struct DayEntry {
    std::u16string hours;
    std::u16string minutes;
};
using WeekEntries = std::array<DayEntry, kDaysPerWeek>;

// An entry that does not read: its weekday (0 Monday) and which of the two.
struct BadEntry {
    size_t day = 0;
    bool minutes = false;
};

// The limits text with a user's week (for no name, the common one) as the
// parents typed it: each entry that reads is set (an empty one removes its
// key), one that does not leaves its key as it was and the first such is
// named in `bad`.
std::u16string withWeekEntries(std::u16string_view text, const std::u16string& userName, const WeekEntries& week,
                               std::optional<BadEntry>& bad);

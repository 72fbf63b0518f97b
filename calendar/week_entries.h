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
// parents typed it, under keys that start with the prefix (none for the
// computer's, "program.Игры." for a group's): each entry that reads is set
// (an empty one removes its key), one that does not leaves its key as it was
// and the first such is named in `bad`.
std::u16string withWeekEntries(std::u16string_view text, const std::u16string& userName, const WeekEntries& week,
                               std::optional<BadEntry>& bad, const std::u16string& prefix = u"");

// A group of programs as the parents typed it for a user or all.
struct ProgramEntries {
    std::u16string group;     // its name
    std::u16string programs;  // the names its programs go by, separated by "|"
    std::u16string always;    // "on", "off" (a child's, over all users' "on") or empty
    WeekEntries week;
};
// Characters a group's name may not hold: the key's own separators.
constexpr char16_t kGroupNameStops[] = u"./=;|[]";

// The limits text with the group set as withWeekEntries sets a week. A name
// the file cannot hold (empty, or with one of kGroupNameStops) sets nothing
// and makes `badName` true.
std::u16string withProgramEntries(std::u16string_view text, const std::u16string& userName,
                                  const ProgramEntries& entries, bool& badName, std::optional<BadEntry>& bad);

#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "calendar/week_entries.h"
#include "common/key_value_document.h"

// The seven weekdays' hours and minutes fields of a parents' dialog, Monday
// first: the computer's week and a group of programs' share them.
constexpr int kFieldCapacity = 200;
// The days a fortnight's chart shows.
constexpr size_t kChartDays = 14;

// A field's text without its surrounding blanks.
std::u16string fieldText(HWND dialog, int id, int capacity = kFieldCapacity);

class WeekFields {
public:
    constexpr WeekFields(int firstHoursId, int firstMinutesId) : hoursId_(firstHoursId), minutesId_(firstMinutesId) {}

    void limitText(HWND dialog) const;
    WeekEntries entries(HWND dialog) const;
    // The keys set at the user's level (none: all users'), under the prefix;
    // a child's empty field shows, greyed, what it takes from all users.
    void show(HWND dialog, const KeyValueDocument& limits, const std::u16string& user,
              const std::u16string& prefix) const;
    // Moves the focus to the entry that does not read, selects it and says why.
    void pointOut(HWND dialog, const BadEntry& bad) const;

private:
    int hoursId_;
    int minutesId_;
};

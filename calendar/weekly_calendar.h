#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar_record.h"

// The parents' week: for each weekday the hours the computer may be used and
// a budget of used minutes. It reads the wall clock only as the host hands it
// over (LocalMinute), so a day of a daylight-saving change is simply a day whose
// minutes skip or repeat.

inline int32_t dayOf(LocalMinute at) { return static_cast<int32_t>(at / kMinutesPerDay); }
constexpr int32_t kDaysPerWeek = 7;
inline int32_t weekdayOf(int32_t day) { return day % kDaysPerWeek; }  // 0 Monday .. 6 Sunday

// An allowed window, in minutes from its day's midnight. An end not after the
// start lies on the next day: the window crosses midnight.
struct AllowedWindow {
    int32_t start = 0;
    int32_t end = kMinutesPerDay;
};

struct CalendarDay {
    // Unrestricted, a day is allowed whole, as without a calendar.
    bool restricted = false;
    std::vector<AllowedWindow> windows;  // none: closed the whole day
    int32_t budgetMinutes = -1;          // -1: no daily budget
};

// "15:00-20:30, 22:00-01:00": windows separated by commas; "-" or nothing is
// a day closed whole. Nothing (no value) for text that is not such a list.
std::optional<std::vector<AllowedWindow>> parseAllowedWindows(std::u16string_view text);

struct WeeklyCalendar {
    std::array<CalendarDay, kDaysPerWeek> days;  // Monday first
    // The time zone whose wall clock the hours follow, as the parents saved it
    // (a child may change the computer's); empty: the computer's.
    std::u16string zone;

    bool restricts() const;
    // Whether the hours allow the moment.
    bool openAt(LocalMinute at) const;
    // The day whose budget a minute counts against: the day on which the
    // earliest window that holds it began, so an evening that crosses midnight
    // is still the evening's; closed, the moment's own day.
    int32_t budgetDayOf(LocalMinute at) const;
    // The first allowed minute at or after the moment, looking a week ahead;
    // nothing when the week has none.
    std::optional<LocalMinute> nextOpening(LocalMinute at) const;
    // The first closed minute at or after the moment; nothing within a week.
    std::optional<LocalMinute> nextClosing(LocalMinute at) const;
};

// What the calendar decides for the control module, with what it must
// remember between minutes and starts (CalendarRecord). A wall clock that goes
// back (daylight saving's repeated hour, a time zone or clock changed) neither
// opens hours that already closed nor brings a spent budget back; one more
// than two days back is taken as a corrected clock and forgotten.
class CalendarGate {
public:
    static constexpr LocalMinute kForgetBack = 2 * kMinutesPerDay;

    // Whether the child may use the computer now: the hours allow it, the
    // hours have not closed since a later wall-clock moment, and the day's
    // budget is not spent. A closed answer is remembered.
    static bool allows(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now);
    // One counted minute of use, a finished exercise, a shut-down asked for.
    static void countMinute(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now);
    static void countExercise(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now);
    static void countShutdown(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now);
    // Minutes of use left until the computer goes off: to the hours' close or
    // to the end of the budget, whichever comes first; -1 when neither limits
    // it within a week.
    static int32_t minutesLeft(const WeeklyCalendar& calendar, const CalendarRecord& record, LocalMinute now);
};

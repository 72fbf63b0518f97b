#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calendar/calendar_record.h"

// The history of a user's days, kept by the guard beside the ledgers as text
// a spreadsheet opens ("<SID>.csv", semicolons, as a Russian spreadsheet
// expects): a header line, then one line a day, oldest first: the date, the
// minutes used (extra time not counted), the exercises done, the shut-downs
// asked for and the day's limit in minutes (empty where there is none).

constexpr size_t kHistoryDays = 120;
extern const char kHistoryHeader[];

// "YYYY-MM-DD" of a local day (days since 1 January 1601).
std::string dateOf(int32_t day);

// The local day of a "YYYY-MM-DD" date; -1 for anything else.
int32_t dayOfDate(const std::string& date);

// The day's line, without its line break.
std::string historyLine(const CalendarRecord& day, int32_t limitMinutes);

// The history with the line in its date's place (replacing a line of the same
// date, after the older ones), keeping the newest kHistoryDays lines. Text that
// is not a history gives way to a fresh one.
std::string withHistoryLine(const std::string& history, const std::string& line);

// A day as the parents' chart shows it: the minutes used and the day's limit
// (-1 where there was none).
struct HistoryDay {
    int32_t day = 0;
    int32_t minutes = 0;
    int32_t limit = -1;
};

// The `count` days up to today, oldest first, from the history's lines; a day
// without a line that can be read was not used.
std::vector<HistoryDay> recentDays(const std::string& history, int32_t today, size_t count);

// The minutes each group of programs took a day, kept beside the history as
// "<SID>.programs.csv": a header line, then a line a day and group, oldest
// first: the date, the group's name (UTF-8), its minutes and its limit that
// day (empty where it had none).
extern const char kProgramHistoryHeader[];
std::string programHistoryLine(int32_t day, const std::u16string& group, int32_t minutes, int32_t limitMinutes);
// The history with the line in place of the one of its date and group, or
// among them by date; the days older than kHistoryDays before its newest line
// are dropped. Text that is not such a history gives way to a fresh one.
std::string withProgramHistoryLine(const std::string& history, const std::string& line);
// A group's `count` days up to today, as recentDays gives the computer's.
std::vector<HistoryDay> recentProgramDays(const std::string& history, const std::u16string& group, int32_t today,
                                          size_t count);

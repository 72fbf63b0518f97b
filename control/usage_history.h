#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "control/calendar_record.h"

// The history of a user's days, kept by the guard beside the ledgers as text
// a spreadsheet opens ("<SID>.csv", semicolons, as a Russian spreadsheet
// expects): a header line, then one line a day, oldest first: the date, the
// minutes used (extra time not counted), the exercises done, the shut-downs
// asked for and the day's limit in minutes (empty where there is none).

constexpr size_t kHistoryDays = 120;
extern const char kHistoryHeader[];

// "YYYY-MM-DD" of a local day (days since 1 January 1601).
std::string dateOf(int32_t day);

// The day's line, without its line break.
std::string historyLine(const CalendarRecord& day, int32_t limitMinutes);

// The history with the line in its date's place (replacing a line of the same
// date, after the older ones), keeping the newest kHistoryDays lines. Text that
// is not a history gives way to a fresh one.
std::string withHistoryLine(const std::string& history, const std::string& line);

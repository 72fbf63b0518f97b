#pragma once
#include <optional>
#include <string>

#include "calendar/weekly_calendar.h"
#include "settings/settings.h"
#include "common/key_value_document.h"

// The key of a weekday's hours, 0 Monday .. 6 Sunday ("monday").
std::u16string weekdayKey(size_t weekday);
// The key of a day's budget of minutes, beside the key of its hours
// ("monday.minutes", "Маша/monday.minutes").
std::u16string budgetKeyOf(const std::u16string& hoursKey);
// The key as a user's own ("Маша/monday"), or the common key for no name.
std::u16string limitKeyOf(const std::u16string& userName, const std::u16string& key);
// The value set at that level: the user's own (their name in any case), or
// the common one for no name; nothing where none is set.
std::optional<std::u16string> limitSetFor(const KeyValueDocument& limits, const std::u16string& userName,
                                          const std::u16string& key);
// The user's own value, else the common one; nothing when neither is set.
std::optional<std::u16string> limitFor(const KeyValueDocument& limits, const std::u16string& userName,
                                       const std::u16string& key);
// A day's minutes written as digits, 0 to 1440; -1 for anything else.
int32_t minutesOf(const std::u16string& text);

// The common key that names the time zone whose wall clock the hours follow.
constexpr char16_t kZoneKey[] = u"zone";

// The week of one Windows user, from the limits file: the
// common keys ("monday", "monday.minutes", ...), each overridden by the same
// key after the user's name and "/" ("Маша/monday", the name in any case),
// and the zone. A key that is absent or cannot be read leaves its day as
// without a calendar: a damaged file never locks a child out.
WeeklyCalendar calendarOf(const KeyValueDocument& limits, const std::u16string& userName);
// The same week under keys that start with the prefix ("program.Игры.monday"),
// with the calendar's zone.
WeeklyCalendar weekUnder(const KeyValueDocument& limits, const std::u16string& userName,
                         const std::u16string& prefix);

// The settings for one Windows user: the common ones (nessel20.cfg), with the
// user's own keys of the limits file over them: "<user>/bedtime", "/sleep",
// "/exercise" and "/grumble.after", "/grumble.repeat" in minutes (1 to 1440),
// "/nessel", "/hopsa", "/tolder" as "on" or "off". A key that cannot be read
// leaves the common value.
Settings childSettings(const Settings& common, const KeyValueDocument& limits, const std::u16string& userName);

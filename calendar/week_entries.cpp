#include "calendar/week_entries.h"

#include "calendar/child_limits.h"
#include "calendar/limits_text.h"
#include "calendar/program_groups.h"

std::u16string withWeekEntries(std::u16string_view text, const std::u16string& userName, const WeekEntries& week,
                               std::optional<BadEntry>& bad, const std::u16string& prefix) {
    std::u16string merged(text);
    bad.reset();
    for (size_t day = 0; day < week.size(); ++day) {
        const std::u16string key = limitKeyOf(userName, prefix + weekdayKey(day));
        const DayEntry& entry = week[day];
        if (entry.hours.empty() || parseAllowedWindows(entry.hours))
            merged = withLimit(merged, key, entry.hours);
        else if (!bad)
            bad = BadEntry{day, false};
        if (entry.minutes.empty() || minutesOf(entry.minutes) >= 0)
            merged = withLimit(merged, budgetKeyOf(key), entry.minutes);
        else if (!bad)
            bad = BadEntry{day, true};
    }
    return merged;
}

std::u16string withProgramEntries(std::u16string_view text, const std::u16string& userName,
                                  const ProgramEntries& entries, bool& badName, std::optional<BadEntry>& bad) {
    bad.reset();
    badName = entries.group.empty() || entries.group.find_first_of(kGroupNameStops) != std::u16string::npos;
    if (badName) return std::u16string(text);
    const std::u16string key = kProgramKeyPrefix + entries.group;
    std::u16string merged = withLimit(text, limitKeyOf(userName, key), entries.programs);
    merged = withLimit(merged, limitKeyOf(userName, key + kAlwaysAllowedKey), entries.always);
    return withWeekEntries(merged, userName, entries.week, bad, key + u".");
}

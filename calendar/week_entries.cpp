#include "calendar/week_entries.h"

#include "calendar/child_limits.h"
#include "calendar/limits_text.h"

std::u16string withWeekEntries(std::u16string_view text, const std::u16string& userName, const WeekEntries& week,
                               std::optional<BadEntry>& bad) {
    std::u16string merged(text);
    bad.reset();
    for (size_t day = 0; day < week.size(); ++day) {
        const std::u16string key = limitKeyOf(userName, weekdayKey(day));
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

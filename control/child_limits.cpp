#include "control/child_limits.h"

#include <optional>

#include "content/lower_case.h"

namespace {

constexpr const char16_t* kWeekdays[7] = {u"monday", u"tuesday",  u"wednesday", u"thursday",
                                          u"friday", u"saturday", u"sunday"};

// The user's own value of the key (their name in any case, as Windows
// compares names), else the common one; nothing when neither is set.
std::optional<std::u16string> valueFor(const KeyValueDocument& limits, const std::u16string& userName,
                                       const std::u16string& key) {
    const std::u16string own = lowerCase(userName + u"/" + key);
    for (const auto& [name, value] : limits.pairs())
        if (lowerCase(name) == own) return value;
    if (limits.contains(key)) return limits.text(key);
    return std::nullopt;
}

// Whole minutes of a day, or -1.
int32_t budgetOf(const std::u16string& text) {
    if (text.empty() || text.size() > 4) return -1;
    int32_t minutes = 0;
    for (char16_t digit : text) {
        if (digit < u'0' || digit > u'9') return -1;
        minutes = minutes * 10 + (digit - u'0');
    }
    return minutes <= kMinutesPerDay ? minutes : -1;
}

}  // namespace

WeeklyCalendar calendarOf(const KeyValueDocument& limits, const std::u16string& userName) {
    WeeklyCalendar week;
    for (size_t day = 0; day < week.days.size(); ++day) {
        const std::u16string name = kWeekdays[day];
        if (const std::optional<std::u16string> hours = valueFor(limits, userName, name))
            if (std::optional<std::vector<AllowedWindow>> windows = parseAllowedWindows(*hours)) {
                week.days[day].restricted = true;
                week.days[day].windows = std::move(*windows);
            }
        if (const std::optional<std::u16string> budget = valueFor(limits, userName, name + u".minutes"))
            week.days[day].budgetMinutes = budgetOf(std::u16string(trimBlanks(*budget)));
    }
    return week;
}

#include "calendar/child_limits.h"

#include "content/lower_case.h"

namespace {

constexpr const char16_t* kWeekdays[kDaysPerWeek] = {u"monday", u"tuesday",  u"wednesday", u"thursday",
                                                     u"friday", u"saturday", u"sunday"};

}  // namespace

int32_t minutesOf(const std::u16string& text) {
    if (text.empty() || text.size() > 4) return -1;
    int32_t minutes = 0;
    for (char16_t digit : text) {
        if (digit < u'0' || digit > u'9') return -1;
        minutes = minutes * 10 + (digit - u'0');
    }
    return minutes <= kMinutesPerDay ? minutes : -1;
}

std::u16string weekdayKey(size_t weekday) { return kWeekdays[weekday % kDaysPerWeek]; }

std::u16string budgetKeyOf(const std::u16string& hoursKey) { return hoursKey + u".minutes"; }

std::u16string limitKeyOf(const std::u16string& userName, const std::u16string& key) {
    return userName.empty() ? key : userName + u"/" + key;
}

std::optional<std::u16string> limitSetFor(const KeyValueDocument& limits, const std::u16string& userName,
                                          const std::u16string& key) {
    if (userName.empty()) {
        if (limits.contains(key)) return limits.text(key);
        return std::nullopt;
    }
    const std::u16string own = lowerCase(limitKeyOf(userName, key));
    for (const auto& [name, value] : limits.pairs())
        if (lowerCase(name) == own) return value;
    return std::nullopt;
}

std::optional<std::u16string> limitFor(const KeyValueDocument& limits, const std::u16string& userName,
                                       const std::u16string& key) {
    if (std::optional<std::u16string> value = limitSetFor(limits, userName, key)) return value;
    return limitSetFor(limits, u"", key);
}

WeeklyCalendar weekUnder(const KeyValueDocument& limits, const std::u16string& userName,
                         const std::u16string& prefix) {
    WeeklyCalendar week;
    for (size_t day = 0; day < week.days.size(); ++day) {
        const std::u16string name = prefix + weekdayKey(day);
        if (const std::optional<std::u16string> hours = limitFor(limits, userName, name))
            if (std::optional<std::vector<AllowedWindow>> windows = parseAllowedWindows(*hours)) {
                week.days[day].restricted = true;
                week.days[day].windows = std::move(*windows);
            }
        if (const std::optional<std::u16string> budget = limitFor(limits, userName, budgetKeyOf(name)))
            week.days[day].budgetMinutes = minutesOf(*budget);
    }
    week.zone = limitSetFor(limits, u"", kZoneKey).value_or(u"");
    return week;
}

WeeklyCalendar calendarOf(const KeyValueDocument& limits, const std::u16string& userName) {
    return weekUnder(limits, userName, u"");
}

Settings childSettings(const Settings& common, const KeyValueDocument& limits, const std::u16string& userName) {
    Settings settings = common;
    if (userName.empty()) return settings;
    for (auto [key, field] : {std::pair{u"bedtime", &Settings::bedtimeMinutes},
                              {u"sleep", &Settings::sleepMinutes},
                              {u"exercise", &Settings::exerciseInterval},
                              {u"grumble.after", &Settings::grumbleAfter},
                              {u"grumble.repeat", &Settings::grumbleRepeat}})
        if (const std::optional<std::u16string> value = limitSetFor(limits, userName, key)) {
            const int32_t minutes = minutesOf(*value);
            if (minutes >= 1) settings.*field = static_cast<int16_t>(minutes);
        }
    for (auto [key, field] : {std::pair{u"nessel", &Settings::nesselDisabled},
                              {u"hopsa", &Settings::hopsaDisabled},
                              {u"tolder", &Settings::tolderDisabled}})
        if (const std::optional<std::u16string> value = limitSetFor(limits, userName, key);
            value && (*value == u"on" || *value == u"off"))
            settings.*field = *value == u"off" ? 1 : 0;
    return settings;
}

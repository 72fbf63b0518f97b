#include "calendar/weekly_calendar.h"

#include <algorithm>

namespace {

constexpr int32_t kWeek = 7;

// Calls f(day, start, end) for every allowed span of the days first..last, in
// absolute minutes; an unrestricted day is one span of its whole length.
template <typename F>
void forEachSpan(const WeeklyCalendar& calendar, int32_t first, int32_t last, F f) {
    for (int32_t day = std::max(first, 0); day <= last; ++day) {
        const CalendarDay& rules = calendar.days[static_cast<size_t>(weekdayOf(day))];
        const LocalMinute midnight = LocalMinute{day} * kMinutesPerDay;
        if (!rules.restricted) {
            f(day, midnight, midnight + kMinutesPerDay);
            continue;
        }
        for (const AllowedWindow& window : rules.windows)
            f(day, midnight + window.start,
              midnight + (window.end > window.start ? window.end : window.end + kMinutesPerDay));
    }
}

// "HH:MM" from 00:00 to 24:00; -1 otherwise.
int32_t parseClock(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    const size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return -1;
    int32_t hours = 0, minutes = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == colon) continue;
        if (text[i] < u'0' || text[i] > u'9') return -1;
        int32_t& part = i < colon ? hours : minutes;
        part = part * 10 + (text[i] - u'0');
    }
    if (minutes > 59 || hours * 60 + minutes > kMinutesPerDay) return -1;
    return hours * 60 + minutes;
}

// The minutes used on the day: the record's on its own day; a day before it,
// reached with the wall clock set back, is over and has nothing left; a later
// day (or one too far back, a corrected clock) is fresh.
int32_t usedOn(const CalendarRecord& record, int32_t day) {
    if (day == record.budgetDay) return record.usedMinutes;
    const bool passed = day < record.budgetDay && day >= record.budgetDay - 2;
    return passed ? kMinutesPerDay : 0;
}

// The record, moved on to the budget day of the moment where that is a later
// day (or one too far back), so that it counts for it.
CalendarRecord& counting(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now) {
    const int32_t day = calendar.budgetDayOf(now);
    if (day > record.budgetDay || day < record.budgetDay - 2) {
        const LocalMinute closedAt = record.closedAt;
        record = CalendarRecord{day, 0, closedAt, 0, 0};
    }
    return record;
}

// The moment the record last saw closed, unless the clock has gone back too far since.
LocalMinute rememberedClose(const CalendarRecord& record, LocalMinute now) {
    return record.closedAt != 0 && now >= record.closedAt - CalendarGate::kForgetBack ? record.closedAt : 0;
}

bool budgetSpent(const WeeklyCalendar& calendar, const CalendarRecord& record, LocalMinute now) {
    const int32_t day = calendar.budgetDayOf(now);
    const int32_t budget = calendar.days[static_cast<size_t>(weekdayOf(day))].budgetMinutes;
    return budget >= 0 && usedOn(record, day) >= budget;
}

bool hoursAllow(const WeeklyCalendar& calendar, const CalendarRecord& record, LocalMinute now) {
    if (!calendar.openAt(now)) return false;
    const LocalMinute closed = rememberedClose(record, now);
    if (closed == 0) return true;
    const std::optional<LocalMinute> reopening = calendar.nextOpening(closed);
    return reopening && now >= *reopening;
}

}  // namespace

std::optional<std::vector<AllowedWindow>> parseAllowedWindows(std::u16string_view text) {
    std::vector<AllowedWindow> windows;
    while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    if (text.empty() || text == u"-") return windows;
    while (true) {
        const size_t comma = text.find(u',');
        const std::u16string_view item = text.substr(0, comma);
        const size_t dash = item.find(u'-');
        if (dash == std::u16string_view::npos) return std::nullopt;
        const int32_t start = parseClock(item.substr(0, dash)), end = parseClock(item.substr(dash + 1));
        if (start < 0 || end < 0 || start == kMinutesPerDay || start == end) return std::nullopt;
        windows.push_back({start, end});
        if (comma == std::u16string_view::npos) return windows;
        text.remove_prefix(comma + 1);
    }
}

bool WeeklyCalendar::restricts() const {
    return std::any_of(days.begin(), days.end(),
                       [](const CalendarDay& day) { return day.restricted || day.budgetMinutes >= 0; });
}

bool WeeklyCalendar::openAt(LocalMinute at) const {
    bool open = false;
    forEachSpan(*this, dayOf(at) - 1, dayOf(at),
                [&](int32_t, LocalMinute start, LocalMinute end) { open = open || (start <= at && at < end); });
    return open;
}

int32_t WeeklyCalendar::budgetDayOf(LocalMinute at) const {
    int32_t owner = dayOf(at);
    LocalMinute earliest = at + 1;
    forEachSpan(*this, dayOf(at) - 1, dayOf(at), [&](int32_t day, LocalMinute start, LocalMinute end) {
        if (start <= at && at < end && start < earliest) {
            earliest = start;
            owner = day;
        }
    });
    return owner;
}

std::optional<LocalMinute> WeeklyCalendar::nextOpening(LocalMinute at) const {
    if (openAt(at)) return at;
    std::optional<LocalMinute> first;
    forEachSpan(*this, dayOf(at), dayOf(at) + kWeek, [&](int32_t, LocalMinute start, LocalMinute) {
        if (start > at && (!first || start < *first)) first = start;
    });
    return first;
}

std::optional<LocalMinute> WeeklyCalendar::nextClosing(LocalMinute at) const {
    const LocalMinute horizon = at + LocalMinute{kWeek} * kMinutesPerDay;
    // Spans that touch or overlap are one stretch: follow it to its end.
    for (LocalMinute reached = at; reached <= horizon;) {
        LocalMinute furthest = reached;
        forEachSpan(*this, dayOf(reached) - 1, dayOf(reached), [&](int32_t, LocalMinute start, LocalMinute end) {
            if (start <= reached && reached < end) furthest = std::max(furthest, end);
        });
        if (furthest == reached) return reached;
        reached = furthest;
    }
    return std::nullopt;
}

bool CalendarGate::allows(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now) {
    if (hoursAllow(calendar, record, now) && !budgetSpent(calendar, record, now)) return true;
    record.closedAt = std::max(rememberedClose(record, now), now);
    return false;
}

void CalendarGate::countMinute(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now) {
    ++counting(calendar, record, now).usedMinutes;
}

void CalendarGate::countExercise(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now) {
    ++counting(calendar, record, now).exercises;
}

void CalendarGate::countShutdown(const WeeklyCalendar& calendar, CalendarRecord& record, LocalMinute now) {
    ++counting(calendar, record, now).shutdowns;
}

int32_t CalendarGate::minutesLeft(const WeeklyCalendar& calendar, const CalendarRecord& record, LocalMinute now) {
    if (!hoursAllow(calendar, record, now) || budgetSpent(calendar, record, now)) return 0;
    int32_t left = -1;
    if (const std::optional<LocalMinute> closing = calendar.nextClosing(now))
        left = static_cast<int32_t>(*closing - now);
    const int32_t day = calendar.budgetDayOf(now);
    const int32_t budget = calendar.days[static_cast<size_t>(weekdayOf(day))].budgetMinutes;
    if (budget >= 0) {
        const int32_t rest = budget - usedOn(record, day);
        left = left < 0 ? rest : std::min(left, rest);
    }
    return left;
}

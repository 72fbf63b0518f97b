#include <gtest/gtest.h>

#include "calendar/child_limits.h"
#include "calendar/limits_text.h"
#include "calendar/weekly_calendar.h"

namespace {

constexpr LocalMinute kMonday = LocalMinute{7 * 22000} * kMinutesPerDay;  // a Monday's midnight
constexpr LocalMinute at(int day, int hour, int minute = 0) { return kMonday + (day * 24 + hour) * 60 + minute; }

// School days 15:00-20:30, Friday also 22:00-01:00, Saturday 10:00-21:30 and
// 23:00-02:00 with a budget of 120 minutes; Sunday as without a calendar.
WeeklyCalendar schoolWeek() {
    WeeklyCalendar week;
    for (int day = 0; day < 6; ++day) week.days[day] = {true, *parseAllowedWindows(u"15:00-20:30"), -1};
    week.days[4].windows = *parseAllowedWindows(u" 15:00-20:30 , 22:00-01:00");
    week.days[5].windows = *parseAllowedWindows(u"10:00-21:30, 23:00-02:00");
    week.days[5].budgetMinutes = 120;
    return week;
}

TEST(WeeklyCalendar, WindowsAreReadOrRefusedWhole) {
    EXPECT_EQ(parseAllowedWindows(u"-")->size(), 0u);
    EXPECT_EQ(parseAllowedWindows(u"0:00-24:00")->front().end, kMinutesPerDay);
    for (auto bad : {u"15:00", u"15-16", u"10:00-10:00", u"15:00-20:60", u"24:00-01:00", u"9:00-10:00,", u"1:2-3:04"})
        EXPECT_FALSE(parseAllowedWindows(bad));
}

// A week's hours, with midnight crossed inside a window and at a day's end.
TEST(WeeklyCalendar, HoursOfASchoolWeek) {
    const WeeklyCalendar week = schoolWeek();
    EXPECT_TRUE(week.openAt(at(5, 0, 59)));  // Friday's evening, on Saturday
    EXPECT_EQ(week.budgetDayOf(at(5, 0, 59)), dayOf(at(4, 0)));
    EXPECT_EQ(week.budgetDayOf(at(6, 1)), dayOf(at(5, 0)));  // Saturday's evening, in an open Sunday
    EXPECT_FALSE(week.openAt(at(5, 1)));
    EXPECT_EQ(week.nextOpening(at(0, 21)), at(1, 15));
    EXPECT_EQ(week.nextClosing(at(4, 23)), at(5, 1));
    EXPECT_EQ(week.nextClosing(at(6, 23)), at(7, 0));  // Sunday open all day, then Monday's hours
    EXPECT_EQ(WeeklyCalendar{}.nextClosing(at(0, 12)), std::nullopt);
}

// The evening closes at 20:30: a repeated hour, the clock or the zone set back
// do not open it again, the next day's window does; a clock two days back is a
// correction.
TEST(WeeklyCalendar, ClosedHoursStayClosedWhenTheClockGoesBack) {
    const WeeklyCalendar week = schoolWeek();
    CalendarRecord record;
    EXPECT_TRUE(CalendarGate::allows(week, record, at(1, 20, 29)));
    EXPECT_FALSE(CalendarGate::allows(week, record, at(1, 20, 31)));
    EXPECT_FALSE(CalendarGate::allows(week, record, at(1, 19, 31)));
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(1, 19, 31)), 0);
    EXPECT_TRUE(CalendarGate::allows(week, record, at(2, 15)));
    EXPECT_FALSE(CalendarGate::allows(week, record, at(2, 21)));
    EXPECT_TRUE(CalendarGate::allows(week, record, at(0, 16)));
}

// Saturday's 120 minutes: Friday's evening after midnight is Friday's, the
// hours' end can come first, minutes counted with the zone set back to Friday
// count for Saturday, the budget is spent at 11:50, and Saturday is over once
// Sunday counted.
TEST(WeeklyCalendar, TheDaysBudgetIsSpentOnce) {
    const WeeklyCalendar week = schoolWeek();
    CalendarRecord record;
    const auto count = [&](LocalMinute from, LocalMinute to) {
        for (LocalMinute minute = from; minute < to; ++minute) CalendarGate::countMinute(week, record, minute);
    };
    count(at(4, 23), at(5, 1));
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(5, 10)), 120);
    count(at(5, 10), at(5, 11, 30));
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(5, 11, 30)), 30);
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(5, 21, 10)), 20);
    count(at(4, 23, 30), at(4, 23, 40));
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(5, 11, 30)), 20);
    count(at(5, 11, 30), at(5, 11, 50));
    EXPECT_FALSE(CalendarGate::allows(week, record, at(5, 11, 50)));
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(6, 9)), 15 * 60);  // until Monday's hours
    CalendarGate::countMinute(week, record, at(6, 9));
    EXPECT_EQ(CalendarGate::minutesLeft(week, record, at(5, 12, 10)), 0);  // Sunday's zone set back: Saturday is over
}

// A user's own keys win over the common ones (and over nessel20.cfg's
// settings); what cannot be read is as without them, never a closed day.
TEST(WeeklyCalendar, EachChildsOwnWeekFromTheLimitsFile) {
    KeyValueDocument limits;
    limits.parse(
        u"monday = 15:00-20:30\r\nmonday.minutes = 90\r\nМАША/monday = 16:00-19:00\r\n"
        u"tuesday = 15:00-25:00\r\nwednesday = -\r\nwednesday.minutes = two hours\r\nПетя/sunday.minutes = 0");
    const WeeklyCalendar masha = calendarOf(limits, u"Маша"), petya = calendarOf(limits, u"Петя");
    EXPECT_EQ(masha.days[0].windows.front().start, 16 * 60);
    EXPECT_EQ(masha.days[0].budgetMinutes, 90);
    EXPECT_FALSE(petya.days[1].restricted);
    EXPECT_TRUE(petya.days[2].restricted && petya.days[2].windows.empty());
    EXPECT_EQ(petya.days[2].budgetMinutes, -1);
    EXPECT_EQ(petya.days[6].budgetMinutes, 0);
    limits.parse(
        u"маша/bedtime = 90\r\nМаша/nessel = on\r\nМаша/hopsa = yes\r\nПетя/sleep = many\r\nПетя/tolder = "
        u"off\r\nbedtime = 5");
    const Settings mashas = childSettings(Settings{}, limits, u"Маша"),
                   petyas = childSettings(Settings{}, limits, u"Петя");
    EXPECT_EQ(mashas.bedtimeMinutes, 90);
    EXPECT_EQ(mashas.nesselDisabled, 0);
    EXPECT_EQ(mashas.hopsaDisabled, 1);
    EXPECT_EQ(petyas.bedtimeMinutes, 45);
    EXPECT_EQ(petyas.sleepMinutes, 60);
    EXPECT_EQ(petyas.tolderDisabled, 1);
}

// The dialog's edits: the file's notes and other keys stay, a key set twice
// by hand is set once, and what it writes reads back as the week it showed.
TEST(WeeklyCalendar, TheDialogsEditsKeepTheRestOfTheFile) {
    std::u16string text = u"; school week\r\nмаша/Monday = 16:00-19:00\r\nmonday = -\r\nМАША/monday = 9:00-10:00";
    text = withLimit(text, limitKeyOf(u"Маша", weekdayKey(0)), u"15:00-20:30");
    text = withLimit(text, limitKeyOf(u"", weekdayKey(7) + u".minutes"), u"120");
    text = withLimit(text, limitKeyOf(u"", weekdayKey(0)), u"");
    EXPECT_EQ(text, u"; school week\r\nМаша/monday = 15:00-20:30\r\nmonday.minutes = 120\r\n");
    KeyValueDocument limits;
    limits.parse(text);
    EXPECT_EQ(limitSetFor(limits, u"МАША", u"monday"), u"15:00-20:30");
    EXPECT_EQ(limitSetFor(limits, u"", u"monday"), std::nullopt);
    EXPECT_EQ(calendarOf(limits, u"маша").days[0].windows.front().end, 20 * 60 + 30);
    EXPECT_EQ(calendarOf(limits, u"Петя").days[0].budgetMinutes, 120);
}

// The guard's copy holds against a deleted or edited calendar file, and one
// ahead of the wall clock; a damaged one counts against nobody.
TEST(WeeklyCalendar, NoRecordIsKinderThanTheLedger) {
    const CalendarRecord ledger{dayOf(at(1, 0)), 50, at(0, 20, 31)};
    for (const CalendarRecord& own :
         {CalendarRecord{}, CalendarRecord{ledger.budgetDay, 20, 0}, CalendarRecord{ledger.budgetDay + 9, 0, 0}}) {
        const CalendarRecord kept = stricterCalendarRecord(own, ledger, at(2, 12));
        EXPECT_EQ(kept.budgetDay, ledger.budgetDay);
        EXPECT_EQ(kept.usedMinutes, 50);
        EXPECT_EQ(kept.closedAt, ledger.closedAt);
    }
    const CalendarImage damaged{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0x80};
    const CalendarRecord read = decodeCalendarRecord(damaged.data(), damaged.size());
    EXPECT_EQ(CalendarGate::minutesLeft(WeeklyCalendar{}, read, at(0, 12)), -1);
}

}  // namespace

// The parents' calendar kept by the control logic over a simulated Saturday
// evening and Sunday afternoon.
#include <gtest/gtest.h>

#include "simulated_evening.h"

namespace {

// Saturday and Sunday 15:00-20:30, Sunday with 60 minutes; the child's own
// allowance of 600. The wall clock is 8 hours ahead of UTC: the evening starts at 18:00.
TEST(CalendarEvening, ASchoolWeeksHoursAndBudgetAreKept) {
    SimulatedEvening evening(withNessel());
    SimulatedHost& host = evening.host;
    host.limits = u"saturday = 15:00-20:30\r\nsunday = 15:00-20:30\r\nsunday.minutes = 60\r\nkid/bedtime = 600";
    host.zoneMinutes = 8 * 60;
    evening.startModule();
    EXPECT_EQ(host.tipLeft, 150);
    EXPECT_EQ(host.tipOff, 20 * 60 + 33);
    evening.minutes(156);
    EXPECT_EQ(host.log, " nessel-turnoff@9000 S@9180 F@9300");
    EXPECT_EQ(host.warnings, (std::vector<int32_t>{10, 3}));
    EXPECT_EQ(decodeCalendarRecord(host.calendarFile.data(), host.calendarFile.size()).shutdowns, 1);  // the history's

    // Started again in the closed hours, and with the wall clock set back into them.
    for (int32_t zone : {8 * 60, 7 * 60}) {
        evening.switchOffFor(20);
        host.zoneMinutes = zone;
        evening.startModule();
        EXPECT_TRUE(evening.core().schedules().sleepMode()) << zone;
    }

    // Sunday's window and budget: 60 minutes, whatever the logons and deleted files between.
    host.zoneMinutes = 8 * 60;
    evening.switchOffFor((kEveningStart + 21 * 60 * kMinute - host.now.utc) / kMinute);
    evening.startModule();
    evening.minutes(30);
    host.calendarLedger = host.calendarFile;  // the guard's copy outlives a deleted file
    host.calendarFile.clear();
    evening.startModule();
    EXPECT_EQ(host.tipLeft, 30);
    evening.minutes(31);
    EXPECT_EQ(host.log, " nessel-turnoff@9000 S@9180 F@9300 nessel-sleep@10560 nessel-sleep@11760 "
                        "nessel-turnoff@79200");  // the sleep scenes; Sunday's turn-off at 16:00
}

// Extra time granted a minute into the turn-off scene: the scene closes,
// nothing is shut down and nothing counts for 30 minutes, then the allowance
// sends the child to bed again.
TEST(CalendarEvening, ExtraTimeHoldsTheLimitsThenTheyCloseAgain) {
    Settings settings = withNessel();
    settings.requireAdmin = 0;
    SimulatedEvening evening(settings);
    SimulatedHost& host = evening.host;
    evening.startModule();
    evening.minutes(46);
    host.extraTimeUntil = host.now.utc + 30 * kMinute;
    evening.untilNextMinuteTick();
    EXPECT_EQ(host.tipLeft, 30);
    evening.minutes(35);
    EXPECT_EQ(host.log, " nessel-turnoff@2700 nessel-turnoff@4560 S@4740 F@4860");  // none during the extra time
    EXPECT_EQ(evening.mostScenesAtOnce(), 1u);

    // Parents' mode is told to the guard through the calendar file, and taken back.
    evening.send(kCommandParents, 1);
    EXPECT_TRUE(decodeCalendarRecord(host.calendarFile.data(), host.calendarFile.size()).parentsMode);
    evening.send(kCommandChild);
    EXPECT_FALSE(decodeCalendarRecord(host.calendarFile.data(), host.calendarFile.size()).parentsMode);
}

}  // namespace

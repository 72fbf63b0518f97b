// The parents' week as typed, merged into the limits file's text.
#include <gtest/gtest.h>

#include "calendar/week_entries.h"

namespace {

// Monday's and Tuesday's entries (the other days' are empty) merged into a
// text for a user; the first bad entry's day, and whether its minutes are bad.
TEST(WeekEntriesMerge, SetsWhatReadsAndNamesTheFirstThatDoesNot) {
    const struct {
        std::u16string user;
        DayEntry monday, tuesday;
        std::u16string before, after;
        std::optional<size_t> badDay;
        bool badMinutes = false;
    } cases[] = {
        {u"", {u"15:00-20:30", u"120"}, {}, u"", u"monday = 15:00-20:30\r\nmonday.minutes = 120\r\n", {}},
        // a child's own keys; empty entries remove keys
        {u"Маша", {}, {u"-", u""}, u"; note\r\n", u"; note\r\nМаша/tuesday = -\r\n", {}},
        {u"", {}, {}, u"monday = -\r\nsunday.minutes = 5\r\nzone = X\r\n", u"zone = X\r\n", {}},
        // a bad entry keeps its key, the others are set; the minutes come before a later day
        {u"",
         {u"25:00-26:00", u"1441"},
         {u"10:00-11:00", u"x"},
         u"monday = -\r\n",
         u"monday = -\r\ntuesday = 10:00-11:00\r\n",
         0},
        {u"", {u"", u"60 "}, {u"9", u""}, u"", u"", 0, true},
    };
    for (const auto& c : cases) {
        WeekEntries week;
        week[0] = c.monday, week[1] = c.tuesday;
        std::optional<BadEntry> bad;
        EXPECT_EQ(withWeekEntries(c.before, c.user, week, bad), c.after) << &c - cases;
        ASSERT_EQ(bad.has_value(), c.badDay.has_value());
        if (bad) {
            EXPECT_EQ(std::make_pair(bad->day, bad->minutes), std::make_pair(*c.badDay, c.badMinutes));
        }
    }
}

// A group's names, its "always" and its week under its own keys, a child's
// over all users'; a name the file could not hold sets nothing.
TEST(WeekEntriesMerge, AGroupOfProgramsGoesUnderItsNameOrNotAtAll) {
    ProgramEntries games{u"Игры", u"minecraft.exe | Roblox", u"", {}};
    games.week[0] = {u"15:00-20:00", u"60"};
    bool badName = false;
    std::optional<BadEntry> bad;
    EXPECT_EQ(withProgramEntries(u"program.Игры.always = on\r\n", u"Маша", games, badName, bad),
              u"program.Игры.always = on\r\nМаша/program.Игры = minecraft.exe | Roblox\r\n"
              u"Маша/program.Игры.monday = 15:00-20:00\r\nМаша/program.Игры.monday.minutes = 60\r\n");
    EXPECT_FALSE(badName);
    ProgramEntries school{u"Школа", u"learn.exe", u"on", {}};
    school.week[1].minutes = u"x";
    EXPECT_EQ(withProgramEntries(u"", u"", school, badName, bad),
              u"program.Школа = learn.exe\r\nprogram.Школа.always = on\r\n");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->day, 1u);
    for (const char16_t* name : {u"", u"Игры.monday", u"a/b", u"a=b", u"a;b", u"a|b", u"[a]"}) {
        games.group = name;
        EXPECT_EQ(withProgramEntries(u"zone = X\r\n", u"", games, badName, bad), u"zone = X\r\n");
        EXPECT_TRUE(badName) << std::string(games.group.begin(), games.group.end());
    }
}

}  // namespace

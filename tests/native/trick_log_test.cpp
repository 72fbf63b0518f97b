// The parents' record of the tricks the guard beat, and what it takes for a
// change of the clock or the zone.
#include <gtest/gtest.h>

#include "guard/clock_watch.h"
#include "control/seen_programs.h"
#include "control/trick_log.h"
#include "simulated_evening.h"

TEST(TrickLog, LinesAreDatedNamedAndTheOldestGo) {
    // kEveningStart: 2025-12-06 10:00 UTC.
    EXPECT_EQ(trickLine(kEveningStart + 65 * kMinute + 59 * kSecond, u"Ма;ша\r\n", Trick::FileHeldOpen),
              "2025-12-06 11:05;Маша;3");
    EXPECT_EQ(trickLine(kEveningStart, u"\xD83D\xDE00\xD800", Trick::SafeMode),
              "2025-12-06 10:00;\xF0\x9F\x98\x80\xEF\xBF\xBD;6");
    std::string log = "something else\r\n";
    for (size_t i = 0; i < kKeptTricks + 2; ++i) log = withTrickLine(log, "line " + std::to_string(i));
    EXPECT_EQ(log.substr(0, log.find("\r\n", log.find("\r\n") + 2)), std::string(kTrickHeader) + "\r\nline 2");
    EXPECT_EQ(log.substr(log.size() - 10), "line 501\r\n");

    // Read back for the parents, the newest first, what is not a trick's line left out.
    const std::vector<TrickEntry> read = tricksOf(std::string(kTrickHeader) +
                                                  "\r\n2025-12-06 10:00;;6\r\nx;y;10\r\n;;\r\n2025-12-06 11:05;Маша;7\r\n");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].child, "Маша");
    EXPECT_EQ(read[0].trick, Trick::ProgramRenamed);
    EXPECT_EQ(read[1].when, "2025-12-06 10:00");
    EXPECT_EQ(read[1].utc, kEveningStart);
    EXPECT_EQ(read[0].utc, kEveningStart + 65 * kMinute);
    for (const char* when : {"2025-12-06 24:00", "2025-12-06 10:60", "2025-12-06T10:00", "2025-12-06 1:000"})
        EXPECT_EQ(tricksOf(std::string(kTrickHeader) + "\r\n" + when + ";;6\r\n")[0].utc, 0u) << when;
    EXPECT_EQ(read[1].trick, Trick::SafeMode);
}

// The programs seen for the parents to pick from: the latest first, each
// file once in any case, the oldest past the list's length dropped.
TEST(SeenPrograms, TheLatestFirstEachOnce) {
    std::string list = std::string(kSeenProgramsHeader) + "\r\ndamaged\r\n2026-12-0;x.exe;\r\n";
    for (size_t i = 0; i < kSeenProgramsKept + 1; ++i)
        list = withSeenProgram(list, u"p" + std::u16string(i + 1, u'x') + u".exe", u"", 155000);
    list = withSeenProgram(list, u"Minecraft.EXE", u"Minecraft; Java", 155001);
    list = withSeenProgram(list, u"pxx.exe", u"", 155002);
    list = withSeenProgram(list, u"MINECRAFT.exe", u"Minecraft", 155003);
    const std::vector<SeenProgram> seen = seenProgramsOf(list);
    ASSERT_EQ(seen.size(), kSeenProgramsKept);
    EXPECT_EQ(seen[0].fileName, "minecraft.exe");
    EXPECT_EQ(seen[0].productName, "Minecraft");
    EXPECT_EQ(seen[1].fileName, "pxx.exe");
    EXPECT_EQ(seen[2].fileName, "p" + std::string(kSeenProgramsKept + 1, 'x') + ".exe");
    EXPECT_EQ(seen.back().fileName, "p" + std::string(4, 'x') + ".exe");
    EXPECT_TRUE(seenProgramsOf("date;x\r\n2026-12-01;a.exe;\r\n").empty()) << "not a list";
}

TEST(TrickLog, TheClockIsChangedWhenItMovesOtherwiseThanTheAwakeClock) {
    ClockWatch watch;
    GuardClock now{kEveningStart, 1};
    const auto step = [&](int64_t wall, int64_t awake, const std::u16string& zone = u"RTZ 2") {
        now.utc += wall;
        now.awake += awake;
        return watch.look(now, zone);
    };
    EXPECT_FALSE(step(0, 0).clock);                        // the first look compares nothing
    EXPECT_FALSE(step(2 * kSecond, 2 * kSecond).clock);    // an ordinary look
    EXPECT_FALSE(step(100 * kSecond, 2 * kSecond).clock);  // a stalled look's slack
    const ClockWatch::Change ahead = step(3 * kMinute, 2 * kSecond);
    EXPECT_TRUE(ahead.clock);
    EXPECT_EQ(ahead.minutes, 2);
    EXPECT_EQ(step(0, 10 * kMinute).minutes, -10);  // set back
    watch.slept();
    EXPECT_FALSE(step(8 * 60 * kMinute, 2 * kSecond).clock);  // sleep stops the awake clock
    EXPECT_FALSE(step(2 * kSecond, 2 * kSecond).zone);
    EXPECT_TRUE(step(2 * kSecond, 2 * kSecond, u"Ekaterinburg").zone);
}

// The programs parents limit: the groups a child's limits give, the names that
// know a program, and a group's minutes played in looks two seconds apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/program_groups.h"
#include "guard/program_records.h"
#include "guard/program_watch.h"
#include "simulated_evening.h"

namespace {

KeyValueDocument limitsOf(std::u16string_view text) {
    KeyValueDocument limits;
    limits.parse(text);
    return limits;
}

const KeyValueDocument kFamily = limitsOf(
    u"program.Игры = Minecraft.exe | Roblox\r\n"
    u"program.Игры.monday.minutes = 60\r\nprogram.Игры.tuesday = 15:00-17:00\r\n"
    u"program.School = learn.exe\r\nprogram.School.always = on\r\nprogram.School.monday.minutes = 5\r\n"
    u"МАША/program.игры.monday.minutes = 30\r\nМаша/program.Paint = mspaint.exe\r\n"
    u"program.bad.name = x.exe\r\nПетя/program.Chess = chess.exe\r\n");

TEST(ProgramGroups, EachChildGetsTheCommonGroupsWithTheirOwnOverThem) {
    const std::vector<ProgramGroup> masha = programGroupsOf(kFamily, u"маша");
    ASSERT_EQ(masha.size(), 3u);  // no "bad.name", no Петя's chess
    EXPECT_EQ(masha[0].name, u"Paint");
    EXPECT_EQ(masha[1].name, u"School");
    EXPECT_EQ(masha[2].name, u"Игры");  // the common spelling
    EXPECT_EQ(masha[2].programs, (std::vector<std::u16string>{u"minecraft.exe", u"roblox"}));
    EXPECT_EQ(masha[2].week.days[0].budgetMinutes, 30);
    EXPECT_TRUE(masha[2].week.days[1].restricted);
    EXPECT_TRUE(masha[2].limited());
    EXPECT_FALSE(masha[1].limited()) << "always allowed, whatever its minutes say";
    EXPECT_FALSE(masha[0].limited());
    EXPECT_EQ(programGroupsOf(kFamily, u"").size(), 2u);
    EXPECT_EQ(programGroupsOf(kFamily, u"Ваня")[1].week.days[0].budgetMinutes, 60);

    // A renamed copy keeps the names its version information gives.
    const struct {
        ProgramIdentity program;
        int group;
    } known[] = {
        {{u"MINECRAFT.EXE", u"", u"", u""}, 2},
        {{u"homework.exe", u"Minecraft.exe", u"", u""}, 2},
        {{u"homework.exe", u"", u"", u"roblox"}, 2},
        {{u"homework.exe", u"", u"learn.exe", u""}, 1},
        {{u"homework.exe", u"", u"", u""}, -1},
        {{u"", u"", u"", u""}, -1},
    };
    for (const auto& c : known) EXPECT_EQ(groupOfProgram(masha, c.program), c.group) << &c - known;
}

// A group's day played look by look: "W10@50" a warning of 10 minutes left at
// the 50th minute, "C" the close asked, "E" the program ended, "R" a start refused.
struct Play {
    ProgramWatch watch;
    std::vector<ProgramGroup> groups = programGroupsOf(kFamily, u"Ваня");
    uint64_t awake = 1;
    const LocalMinute monday = static_cast<LocalMinute>(kEveningStart / kMinute) + 2 * kMinutesPerDay - 10 * 60;
    LocalMinute local = monday + 10 * 60;
    std::string steps;

    // The guard stalled, or the computer slept without its word.
    void stall(int count) {
        awake += count * kMinute;
        local += count;
    }
    // The guard's end takes the program away: later looks see it no more.
    void minutes(int count, ProgramSight games, bool extraTime = false) {
        for (int look = 0; look < count * 30; ++look) {
            awake += 2 * kSecond;
            if (look % 30 == 29) ++local;
            const std::vector<ProgramSteps> asked =
                watch.look("child", groups, {{games.running, games.running}, games}, awake, local, extraTime);
            EXPECT_EQ(asked[0].askClose || asked[0].end || asked[0].warning >= 0, false) << "always allowed";
            const ProgramSteps& step = asked[1];
            const std::string at = "@" + std::to_string(awake / kMinute);
            if (step.warning >= 0) steps += " W" + std::to_string(step.warning) + at;
            if (step.askClose) steps += " C" + at;
            if (step.end) steps += std::string(step.refused ? " R" : " E") + at;
            if (step.end) games = {};
        }
    }
};

TEST(ProgramWatch, AGameIsWarnedAskedToCloseAndEndedAndOnlyTimeOnTheScreenCounts) {
    Play day;
    day.minutes(20, {true, false});  // minimised behind homework: nothing counts
    day.minutes(20, {true, true}, true);  // extra time counts towards nothing
    day.stall(30);  // gives ten seconds at most
    day.minutes(70, {true, true});  // played on after the close
    day.minutes(1, {true, true});   // started again
    EXPECT_EQ(day.steps, " W10@119 W3@126 C@129 E@130 R@140");
    day.local = day.monday + kMinutesPerDay + 12 * 60;  // Tuesday noon: outside its hours
    day.minutes(1, {true, true});
    day.local = day.monday + kMinutesPerDay + 15 * 60 + 30;  // open again, for 90 minutes
    day.minutes(1, {true, true});
    EXPECT_EQ(day.steps, " W10@119 W3@126 C@129 E@130 R@140 R@141");
}

// The guard's file of the groups' records: each whole entry of a cut file is
// read, nothing past it.
TEST(ProgramRecords, ACutFileGivesItsWholeEntries) {
    const std::map<std::u16string, CalendarRecord> records{{u"", {9, 5, 0, 0, 0}}, {u"игры", {9, 45, 0, 0, 0}}};
    const std::vector<uint8_t> bytes = encodeProgramRecords(records);
    constexpr size_t kFirstEntry = 2 + kCalendarRecordSize;  // the empty name
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        const auto read = decodeProgramRecords(bytes.data(), cut);
        EXPECT_EQ(read.size(), cut == bytes.size() ? 2u : cut >= kFirstEntry ? 1u : 0u) << cut;
    }
    EXPECT_EQ(decodeProgramRecords(bytes.data(), bytes.size()).at(u"игры").usedMinutes, 45);
}

}  // namespace

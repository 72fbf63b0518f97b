// The programs parents limit: the groups a child's limits give, the names that
// know a program, a group's minutes played in looks two seconds apart, and a
// school week as the guard's loop plays it: the computer's rules, the
// programs' and the end of the evening together.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "calendar/child_limits.h"
#include "calendar/program_groups.h"
#include "guard/guard_core.h"
#include "guard/evening_ending.h"
#include "guard/program_fingerprints.h"
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
        {{u"MINECRAFT.EXE", u"", u"", u"", {}}, 2},
        {{u"homework.exe", u"Minecraft.exe", u"", u"", {}}, 2},
        {{u"homework.exe", u"", u"", u"roblox", {}}, 2},
        {{u"homework.exe", u"", u"learn.exe", u"", {}}, 1},
        {{u"homework.exe", u"", u"", u"", {}}, -1},
        {{u"", u"", u"", u"", {}}, -1},
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

// A file seen under a name the parents gave is known by its fingerprint under
// any other, its limited group before an always-allowed one that names it, and
// under its own name elsewhere as a copy; the fingerprints kept, the oldest
// dropped past their number, a cut file read to its last whole entry.
TEST(ProgramFingerprints, ARenamedOrCopiedFileWithoutVersionNamesIsStillTheGame) {
    const std::vector<ProgramGroup> groups = programGroupsOf(kFamily, u"");  // School, Игры
    const std::string game(kFingerprintSize, 'g'), learn(kFingerprintSize, 'l');
    const auto program = [](const char16_t* name, const std::string& fingerprint) {
        ProgramIdentity identity;
        identity.fileName = name;
        identity.fingerprint = fingerprint;
        return identity;
    };
    const std::u16string games = u"C:\\Games\\";
    const struct {
        ProgramIdentity program;
        std::u16string folder;
        int group;
        bool renamed, copied;
    } kLooks[] = {
        {program(u"x.exe", game), games, -1, false, false},  // not seen under its name yet
        {program(u"Minecraft.EXE", game), games, 1, false, false},
        {program(u"minecraft.exe", game), u"c:\\games\\", 1, false, false},
        {program(u"minecraft.exe", game), u"C:\\Users\\Маша\\", 1, false, true},
        {program(u"x.exe", game), games, 1, true, false},
        {program(u"learn.exe", game), games, 1, true, false},
        {program(u"learn.exe", learn), games, 0, false, false},
        {program(u"y.exe", learn), games, 0, true, false},
        {program(u"roblox", ""), games, 1, false, false},
    };
    ProgramFingerprints known;
    for (const auto& look : kLooks) {
        const ProgramMatch match = known.match(groups, look.program, look.folder + look.program.fileName);
        EXPECT_EQ(std::make_tuple(match.group, match.renamed, match.copied),
                  std::make_tuple(look.group, look.renamed, look.copied))
            << &look - kLooks;
    }
    const std::vector<uint8_t> bytes = known.encode();
    ProgramFingerprints read;
    read.decode(bytes.data(), bytes.size() - 1);
    EXPECT_TRUE(read.match(groups, program(u"Minecraft.exe", game), u"D:\\Minecraft.exe").copied);
    EXPECT_EQ(read.match(groups, program(u"z.exe", learn), u"").group, -1) << "the cut entry";
    for (size_t i = 0; i < ProgramFingerprints::kKept; ++i)
        read.match(groups, program(u"minecraft.exe", (std::to_string(i) + game).substr(0, kFingerprintSize)), u"");
    EXPECT_EQ(read.match(groups, program(u"z.exe", game), u"").group, -1) << "the oldest is kept past its number";
}

// An hour and a half a day at the computer, an hour of it for games; the
// school's program always allowed. Groups come in the order of their names.
const KeyValueDocument kWeek = limitsOf(
    u"monday.minutes = 90\r\ntuesday.minutes = 90\r\nwednesday.minutes = 90\r\nthursday.minutes = 90\r\n"
    u"friday.minutes = 90\r\nend = shutdown\r\n"
    u"program.Игры = minecraft.exe\r\nprogram.Игры.monday.minutes = 60\r\nprogram.Игры.tuesday.minutes = 60\r\n"
    u"program.Игры.wednesday.minutes = 60\r\nprogram.Игры.thursday.minutes = 60\r\n"
    u"program.Игры.friday.minutes = 60\r\nprogram.Школа = learn.exe\r\nprogram.Школа.always = on\r\n");
constexpr size_t kGames = 0, kSchool = 1;
constexpr uint32_t kChildsSession = 2;  // the parent's is session 1, switched away from
constexpr uint64_t kLook = 2 * kSecond;

struct Week {
    GuardCore core;
    ProgramWatch watch;
    const std::vector<ProgramGroup> groups = programGroupsOf(kWeek, u"Маша");
    GuardRules rules{childSettings(withNessel(), kWeek, u"Маша"), calendarOf(kWeek, u"Маша"), 0};
    GuardClock clock{kEveningStart + 2 * 24 * 60 * kMinute + 5 * 60 * kMinute, 1};  // Monday 15:00
    uint64_t dayStart = 0;
    Week() { rules.settings.bedtimeMinutes = 600; }  // the calendar's budget ends the day
    bool gameRunning = false, ended = false;
    std::string steps;  // "W10@90": what was asked, at which minute of the day's use

    // Minutes of use with the school's program in front, or the game, or
    // something else; the game ends when the guard ends it.
    void use(int minutes, bool schoolInFront, bool game) {
        gameRunning = game;
        for (int look = 0; look < minutes * 60 / 2 && !ended; ++look) {
            clock.utc += kLook;
            clock.awake += kLook;
            const LocalMinute local = static_cast<LocalMinute>(clock.utc / kMinute);
            const std::string at = "@" + std::to_string((clock.awake - dayStart) / kMinute);
            std::vector<ProgramSight> sights(groups.size());
            sights[kGames] = {gameRunning, gameRunning};
            sights[kSchool] = {true, schoolInFront};
            const ProgramSteps played = watch.look("masha", groups, sights, clock.awake, local, false)[kGames];
            if (played.warning >= 0) steps += " W" + std::to_string(played.warning) + at;
            if (played.askClose) steps += " C" + at;
            if (played.end) steps += " E" + at, gameRunning = false;
            rules.freeTime = schoolInFront;
            const GuardSteps asked = core.look("masha", {kChildsSession}, rules, clock, local);
            if (asked.turnOffScene) steps += " T" + at;
            if (asked.shutdown) {
                const EndAction action = endActionFor(endingOf(kWeek, u"Маша"), true);
                steps += (action == EndAction::LogOff ? " L" : action == EndAction::ShutDown ? " S" : " K") + at;
                core.sessionEvent(kChildsSession, SessionEvent::Logoff);
                ended = true;
            }
        }
    }
    void nextDay() {
        clock.utc += 24 * 60 * kMinute - (clock.awake - dayStart);
        dayStart = clock.awake;
        ended = false;
        core.sessionEvent(kChildsSession, SessionEvent::Logon);
        steps += " |";
    }
};

}  // namespace

// Each day: 40 minutes of homework, the game played past its hour (warned at
// 10 and 3 minutes, asked to close at its end, ended a minute later), then
// other things until the computer's hour and a half: homework freed its
// minutes, so the turn-off comes at the 130th minute, and the child's session
// is logged off 3 minutes later, the parent's kept.
TEST(SchoolWeek, AnHourOfGamesHomeworkFreeAndTheParentsSessionKept) {
    Week week;
    for (int day = 0; day < 5; ++day) {
        week.use(40, true, false);
        week.use(70, false, true);
        week.use(60, false, false);
        week.nextDay();
    }
    const std::string day = " W10@90 W3@97 C@100 E@101 T@130 L@133 |";
    EXPECT_EQ(week.steps, day + day + day + day + day);
}

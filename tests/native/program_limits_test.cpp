// The programs parents limit: the groups a child's limits give, the names that
// know a program, and days played as the guard's loop plays them.
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
        {{u"MINECRAFT.EXE", u"", u"", u"", {}}, 2},      {{u"homework.exe", u"Minecraft.exe", u"", u"", {}}, 2},
        {{u"homework.exe", u"", u"", u"roblox", {}}, 2}, {{u"homework.exe", u"", u"learn.exe", u"", {}}, 1},
        {{u"homework.exe", u"", u"", u"", {}}, -1},      {{u"", u"", u"", u"", {}}, -1},
    };
    for (const auto& c : known) EXPECT_EQ(groupOfProgram(masha, c.program), c.group) << &c - known;
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
        return ProgramIdentity{name, u"", u"", u"", fingerprint};
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
constexpr uint32_t kChildsSession = 2;  // the parent's is session 1, switched away from
constexpr uint64_t kLook = 2 * kSecond;

// A child's days as the guard's loop plays them, a look every two seconds:
// the computer's rules, the programs' and the end of the evening together.
// The steps read "W10@90": a warning of 10 minutes left at the 90th minute of
// the day's use; "C" the close asked, "E" the game ended, "R" a start refused,
// "T" the turn-off scene, "L", "S" or "K" the evening's end.
struct Week {
    GuardCore core;
    ProgramWatch watch;
    const KeyValueDocument& limits;
    const std::u16string child;
    const std::vector<ProgramGroup> groups = programGroupsOf(limits, child);
    const size_t games = groups[0].name == u"Игры" ? 0 : 1, school = 1 - games;
    GuardRules rules{childSettings(withNessel(), limits, child), calendarOf(limits, child), 0};
    GuardClock clock{kEveningStart + 2 * 24 * 60 * kMinute + 5 * 60 * kMinute, 1};  // Monday 15:00
    uint64_t dayStart = 0;
    bool ended = false;
    std::string steps;

    explicit Week(const KeyValueDocument& limits = kWeek, std::u16string child = u"Маша")
        : limits(limits), child(child) {
        rules.settings.bedtimeMinutes = 600;  // the calendar's budget ends the day
    }
    // Minutes of use with the game running (and on the screen or not), the
    // school's program in front or not; the game ends when the guard ends it.
    void use(int minutes, ProgramSight game, bool schoolInFront = false, bool extraTime = false) {
        for (int look = 0; look < minutes * 60 / 2 && !ended; ++look) {
            clock.utc += kLook;
            clock.awake += kLook;
            const LocalMinute local = static_cast<LocalMinute>(clock.utc / kMinute);
            const std::string at = "@" + std::to_string((clock.awake - dayStart) / kMinute);
            std::vector<ProgramSight> sights(groups.size());
            sights[games] = game;
            sights[school] = {true, schoolInFront};
            const std::vector<ProgramSteps> asked = watch.look("masha", groups, sights, clock.awake, local, extraTime);
            EXPECT_EQ(asked[school].askClose || asked[school].end || asked[school].warning >= 0, false);
            const ProgramSteps& played = asked[games];
            if (played.warning >= 0) steps += " W" + std::to_string(played.warning) + at;
            if (played.askClose) steps += " C" + at;
            if (played.end) steps += std::string(played.refused ? " R" : " E") + at, game = {};
            rules.freeTime = schoolInFront;
            const GuardSteps told = core.look("masha", {kChildsSession}, rules, clock, local);
            if (told.turnOffScene) steps += " T" + at;
            if (told.shutdown) {
                const EndAction action = endActionFor(endingOf(limits, child), true);
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

// A game is warned, asked to close and ended, and only its time on the
// screen counts: not minimised behind homework, not in extra time, not a
// stalled loop's; a start after the end, or outside its hours, is refused.
TEST(ProgramWatch, AGameIsWarnedAskedToCloseAndEndedAndOnlyTimeOnTheScreenCounts) {
    Week day(kFamily, u"Ваня");
    day.use(20, {true, false});
    day.use(20, {true, true}, false, true);
    day.clock.utc += 30 * kMinute, day.clock.awake += 30 * kMinute;  // a stall: ten seconds count at most
    day.use(70, {true, true});                                       // played on after the close
    day.use(1, {true, true});                                        // started again
    EXPECT_EQ(day.steps, " W10@119 W3@126 C@129 E@130 R@140");
    day.clock.utc = kEveningStart + 3 * 24 * 60 * kMinute + 2 * 60 * kMinute;  // Tuesday noon: outside its hours
    day.use(1, {true, true});
    day.clock.utc += 3 * 60 * kMinute + 30 * kMinute;  // open again, for 90 minutes
    day.use(1, {true, true});
    EXPECT_EQ(day.steps, " W10@119 W3@126 C@129 E@130 R@140 R@141");
}

}  // namespace

// Each day: 40 minutes of homework, the game played past its hour (warned at
// 10 and 3 minutes, asked to close at its end, ended a minute later), then
// other things until the computer's hour and a half: homework freed its
// minutes, so the turn-off comes at the 130th minute, and the child's session
// is logged off 3 minutes later, the parent's kept.
TEST(SchoolWeek, AnHourOfGamesHomeworkFreeAndTheParentsSessionKept) {
    Week week;
    for (int day = 0; day < 5; ++day) {
        week.use(40, {}, true);
        week.use(70, {true, true});
        week.use(60, {});
        week.nextDay();
    }
    const std::string day = " W10@90 W3@97 C@100 E@101 T@130 L@133 |";
    EXPECT_EQ(week.steps, day + day + day + day + day);
}

// A school week on the guard's simulated clock, as the guard's loop plays it:
// the computer's rules (GuardCore), the programs' (ProgramWatch) and the end
// of the evening (endActionFor) together, with a parent's session open
// beside the child's all week.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/child_limits.h"
#include "calendar/program_groups.h"
#include "guard/evening_ending.h"
#include "guard/guard_core.h"
#include "guard/program_watch.h"
#include "simulated_evening.h"

namespace {

KeyValueDocument limitsOf(std::u16string_view text) {
    KeyValueDocument limits;
    limits.parse(text);
    return limits;
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

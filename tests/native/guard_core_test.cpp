// The guard's rules on a simulated clock: an evening is a script of stretches
// (use, locked, asleep, a stalled loop, the wall clock moved), played in looks
// two seconds apart, as the service looks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guard/evening_ending.h"
#include "guard/guard_core.h"
#include "guard/session_lock_flags.h"
#include "simulated_evening.h"

namespace {

constexpr uint32_t kSession = 1;
constexpr uint64_t kLook = 2 * kSecond;

enum class Stretch { Use, Locked, Asleep, Stalled, ClockAhead, ParentsMode, Extra };
struct Step {
    Stretch what;
    int minutes;
};

struct Evening {
    GuardCore core;
    GuardRules rules{withNessel(), {}, 0};  // bedtime 45, sleep time 60
    GuardClock clock{kEveningStart, 1};
    std::string steps;  // "T12 S15 F17": what was asked, at which minute of the awake clock

    void look() {
        const GuardSteps asked = core.look("child", {kSession}, rules, clock, clock.utc / kMinute);
        const std::string at = std::to_string(clock.awake / kMinute);
        for (auto [wanted, tag] : {std::pair{asked.turnOffScene, "T"},
                                   {asked.sleepScene, "Z"},
                                   {asked.shutdown, "S"},
                                   {asked.forcedShutdown, "F"}})
            if (wanted) steps += (steps.empty() ? "" : " ") + std::string(tag) + at;
    }
    void pass(uint64_t units, bool awake) {
        for (uint64_t done = 0; done < units; done += kLook) {
            clock.utc += kLook;
            if (awake) clock.awake += kLook;
            look();
        }
    }
    void play(const std::vector<Step>& script) {
        look();
        for (const Step& step : script) {
            const uint64_t units = step.minutes * kMinute;
            switch (step.what) {
            case Stretch::Use: pass(units, true); break;
            case Stretch::Locked:
                core.sessionEvent(kSession, SessionEvent::Lock), pass(units, true);
                core.sessionEvent(kSession, SessionEvent::Unlock);
                break;
            case Stretch::Asleep: core.suspend(), clock.utc += units, core.resume(); break;
            case Stretch::Stalled: clock.utc += units, clock.awake += units; break;
            case Stretch::ClockAhead: clock.utc += units; break;
            case Stretch::ParentsMode:
                core.parentsMode(kSession), pass(units, true), core.sessionEvent(kSession, SessionEvent::Lock);
                core.sessionEvent(kSession, SessionEvent::Unlock);
                break;
            case Stretch::Extra: rules.extraTimeUntil = clock.utc + units + kSecond, pass(units, true); break;
            }
        }
    }
};

}  // namespace

// Only what the service itself sees counts: no module, state file or window
// message is an input. The look that ends a gap the guard saw counts no time
// of its own.
TEST(GuardCore, CountsEveryMinuteOfUseAndCreditsOnlyTheRestItSaw) {
    using S = Stretch;
    const struct {
        std::vector<Step> script;
        int nesselMinutes;
        const char* steps;
    } evenings[] = {
        {{{S::Use, 52}}, 52, "T45 S48 F50"},  // the turn-off, the shut-down 3 and forced 5 minutes later
        {{{S::Use, 30}, {S::Locked, 20}, {S::Use, 2}}, 16, ""},             // a locked stretch is rest: 30 - 15
        {{{S::Use, 30}, {S::Asleep, 60}, {S::Use, 2}}, 1, ""},              // so is sleep
        {{{S::Use, 30}, {S::Stalled, 20}, {S::Use, 2}}, 52, "T50"},         // a stalled loop is not; one step a look
        {{{S::Use, 30}, {S::ClockAhead, 120}, {S::Use, 2}}, 32, ""},        // nor a clock set ahead
        {{{S::Use, 30}, {S::ParentsMode, 30}, {S::Use, 2}}, 9, ""},         // the parents' mode pauses and rests
        {{{S::Use, 44}, {S::Extra, 30}, {S::Use, 2}}, 46, "T75"},           // extra time counts for nothing
        {{{S::Use, 46}, {S::Asleep, 10}, {S::Use, 4}}, 46, "T45 Z46 F49"},  // back inside the sleep time
        {{{S::Use, 46}, {S::Asleep, 61}, {S::Use, 4}}, 3, "T45"},           // after it: a new evening
    };
    for (const auto& evening : evenings) {
        Evening played;
        played.play(evening.script);
        EXPECT_EQ(played.core.record("child").nesselMinutes, evening.nesselMinutes) << evening.steps;
        EXPECT_EQ(played.steps, evening.steps);
    }
}

// Locking for a moment every minute neither stops the count nor earns rest:
// only the moments between a look and a lock go uncounted.
TEST(GuardCore, ShortLocksKeepTheMinuteInProgress) {
    Evening played;
    std::vector<Step> script;
    for (int i = 0; i < 10; ++i) script.insert(script.end(), {{Stretch::Use, 1}, {Stretch::Locked, 0}});
    played.play(script);
    EXPECT_EQ(played.core.record("child").nesselMinutes, 9);
}

// The calendar's closed hours end the evening as bedtime does, the parents'
// close leaves the session alone until its user logs on again, and a grant of
// extra time takes back a turn-off in progress.
TEST(GuardCore, HoldsTheCalendarAndOnlyTheParentsLiftIt) {
    Evening played;
    played.rules.calendar.days[static_cast<size_t>(weekdayOf(dayOf(kEveningStart / kMinute)))].restricted = true;
    played.play({{Stretch::Use, 2}});
    played.core.parentsClose(kSession);
    played.play({{Stretch::Use, 20}});
    EXPECT_EQ(played.steps, "T1");
    played.core.sessionEvent(kSession, SessionEvent::Logon);
    played.play({{Stretch::Use, 6}, {Stretch::Extra, 30}, {Stretch::Use, 5}});
    EXPECT_EQ(played.steps, "T1 T23 S26 F28 T59 S62");
    EXPECT_EQ(played.core.calendar("child").shutdowns, 2);
}

TEST(GuardCore, WindowsSevenReportsTheLockFlagsSwapped) {
    const struct {
        int32_t flags;
        uint32_t major, minor;
        bool locked;
    } reports[] = {{0, 6, 2, true},  {1, 6, 2, false},  {0, 10, 0, true},  {1, 6, 1, true},
                   {0, 6, 1, false}, {-1, 6, 1, false}, {-1, 10, 0, false}};
    for (const auto& report : reports)
        EXPECT_EQ(sessionFlagsSayLocked(report.flags, report.major, report.minor), report.locked)
            << report.flags << " " << report.major << "." << report.minor;
}

// The parents' choice of ending, and the shut-down that would end another
// user's session too turned into the child's log-off.
TEST(GuardCore, TheEveningEndsTheChildsSessionAlone) {
    KeyValueDocument limits;
    limits.parse(u"end = lock\r\nМаша/end = LogOff\r\nПетя/end = switch off\r\n");
    const struct {
        const char16_t* child;
        bool othersOpen;
        EndAction action;
    } endings[] = {{u"Маша", false, EndAction::LogOff},
                   {u"Вася", true, EndAction::Lock},
                   {u"Петя", false, EndAction::ShutDown},
                   {u"Петя", true, EndAction::LogOff}};
    for (const auto& ending : endings)
        EXPECT_EQ(endActionFor(endingOf(limits, ending.child), ending.othersOpen), ending.action)
            << int(ending.action) << ending.othersOpen;
    KeyValueDocument none;
    EXPECT_EQ(endingOf(none, u"Маша"), EveningEnding::Shutdown);
}

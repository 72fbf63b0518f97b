// Whole evenings replayed second by second through the control logic, each
// judged by the host's log of scenes started and shut-downs asked for.
#include <gtest/gtest.h>

#include "simulated_evening.h"

namespace {

using E = SimulatedEvening;

// At every bedtime: the turn-off scene at its minute, the shut-down 3 minutes
// and the forced one 5 minutes after it.
TEST(NesselEvening, TurnOffSceneThenNormalAndForcedShutdown) {
    for (int16_t bedtime : {1, 2, 45, 240}) {
        SCOPED_TRACE(bedtime);
        Settings settings = withNessel();
        settings.bedtimeMinutes = bedtime;
        StartedEvening evening(settings);
        evening.minutes(bedtime - 1);
        EXPECT_EQ(evening.host.storedState().nesselMinutes, bedtime - 1);
        evening.minutes(1);
        EXPECT_TRUE(evening.host.storedState().sleepPending);
        evening.seconds(10);
        EXPECT_EQ(evening.runningScenes(), 1u);  // the turn-off scene may play
        evening.minutes(10);
        const auto at = [&](int minutes) { return std::to_string(60 * bedtime + 60 * minutes); };
        EXPECT_EQ(evening.host.log, " nessel-turnoff@" + at(0) + " S@" + at(3) + " F@" + at(5));
    }
}

// Evenings as scripts, with the scenes and shut-downs each brought.
TEST(ControlEvening, EachScriptBringsItsScenesAndShutDowns) {
    const struct {
        std::vector<E::Stretch> script;
        const char* log;
        bool nessel = true;
        int16_t exerciseInterval = 0;  // none: no exercises
        int sceneSeconds = 20;
        bool programs = true;
    } evenings[] = {
        // Bedtime comes sooner by the guard's count where the module fell behind
        // it (frozen, or ended and started again); an idle minute at its tick, or
        // a grumble on screen, puts it off; a missing scene program stops no shut-down.
        {{{E::Use, 600}, {E::Guard, 40}, {E::Use, 300}}, " nessel-turnoff@900"},
        {{{E::Use, 2650}, {E::Idle, 80}, {E::Use, 600}}, " nessel-turnoff@2700 S@2940 F@3060"},
        {{{E::Use, 2480}, {E::Idle, 190}, {E::Use, 390}},
         " tolder@2640 nessel-turnoff@2760 S@2940 F@3060",
         true,
         0,
         90},
        {{{E::Use, 3000}}, " S@2880 F@3000", true, 15, 20, false},
        // One exercise at a time: a tick that finds one on screen misses its turn,
        // and the count starts again when the exercise ends.
        {{{E::Use, 300}}, " hopsa-first@60 hopsa-usual@180 hopsa-usual@300", false, 1, 90},
        {{{E::Use, 300}}, " hopsa-first@120 hopsa-usual@300", false, 2, 90},
        // No grumble before the first input since the module started.
        {{{E::Idle, 600}, {E::Use, 1}, {E::Idle, 179}}, " tolder@780", false},
    };
    for (const auto& c : evenings) {
        Settings settings;
        settings.nesselDisabled = !c.nessel;
        settings.hopsaDisabled = c.exerciseInterval == 0;
        settings.exerciseInterval = c.exerciseInterval;
        SimulatedEvening evening(settings);
        evening.sceneBehaviour.lengthSeconds = c.sceneSeconds;
        evening.host.programsPresent = c.programs;
        evening.startModule();
        evening.play(c.script);
        EXPECT_EQ(evening.host.log, c.log) << &c - evenings;
    }
}

TEST(NesselEvening, RestartInsideTheSleepTimeGetsTheSleepSceneAndAForcedShutdown) {
    StartedEvening evening(withNessel());
    evening.minutes(50);  // turn-off at 45, forced shut-down requested at 50
    const uint64_t lastAwake = evening.host.storedState().lastAwake;
    evening.play({{E::Off, 30}, {E::Use, 15}});
    EXPECT_EQ(evening.runningScenes(),
              1u);  // not told to close: the sleep scene plays out
    evening.minutes(5);
    EXPECT_EQ(evening.host.storedState().lastAwake,
              lastAwake);  // sleep minutes are not awake minutes
    // Still inside the sleep time counted from the last awake minute, then over:
    // a fresh evening.
    evening.play({{E::Off, 20}});
    EXPECT_TRUE(evening.core().schedules().sleepMode());
    evening.play({{E::Off, 5}});
    EXPECT_FALSE(evening.core().schedules().sleepMode());
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 0);
    EXPECT_FALSE(evening.host.storedState().sleepPending);
    EXPECT_EQ(evening.host.log,
              " nessel-turnoff@2700 S@2880 F@3000 "
              "nessel-sleep@4800 F@4980 nessel-sleep@6315");
}

// The first exercise once ever (again for a new account), then one every
// interval, counted on across a short break.
TEST(HopsaEvening, ExerciseEveryIntervalAndTheFirstSceneOnlyOnceEver) {
    StartedEvening evening(withHopsa());
    evening.play({{E::Use, 3000}, {E::Off, 4}, {E::Use, 600}});
    evening.host.stateFile.clear();  // a new user account
    evening.play({{E::Off, 1}, {E::Use, 900}});
    EXPECT_EQ(evening.host.log, " hopsa-first@900 hopsa-usual@1800 hopsa-usual@2700 hopsa-usual@3840 hopsa-first@4800");
}

// A scene last heard at 901 is missed for more than 3 s at 905; the new one,
// slow to report, is not started a second time.
TEST(HopsaEvening, AnExerciseThatStopsReportingIsEndedAndStartedAgainOnce) {
    SceneBehaviour dies{1, 20}, hangs{1, 20};
    dies.diesAfterStart = hangs.hangsAfterStart = true;
    for (const SceneBehaviour& stops : {dies, hangs}) {
        SimulatedEvening evening(withHopsa());
        evening.nextScenes = {stops, SceneBehaviour{3, 20}};
        evening.startModule();
        evening.seconds(15 * 60 + 30);
        EXPECT_EQ(evening.host.log, " hopsa-first@900 hopsa-usual@905");
        EXPECT_EQ(evening.mostScenesAtOnce(), 1u) << "a hung scene was left beside the next";
        EXPECT_EQ(evening.runningScenes(), 0u);
        EXPECT_EQ(evening.core().schedules().sceneKind(), SceneKind::None);
        EXPECT_FALSE(evening.host.watchdogRunning);
    }
}

TEST(HopsaEvening, SkipIdleTimeCountsAMinuteWithInputUpTo40SecondsOld) {
    for (auto [skip, idle, counted] : {std::tuple{true, 40, 14}, {true, 41, 13}, {false, 41, 14}}) {
        Settings settings = withHopsa();
        settings.skipIdleTime = skip;
        StartedEvening evening(settings);
        evening.play({{E::Use, 14 * 60 - uint64_t(idle)}, {E::Idle, uint64_t(idle)}});
        EXPECT_EQ(evening.host.storedState().hopsaMinutes, counted) << skip << " " << idle;
    }
}

// Grumbles after the last input at 2:20: the first after 160 s of idleness.
class TolderEvening : public ::testing::TestWithParam<uint32_t> {};

std::string idleFrom140(SimulatedEvening& evening, uint64_t idleSeconds) {
    evening.sceneBehaviour.lengthSeconds = 10;
    evening.startModule();
    evening.play({{E::Use, 140}, {E::Idle, idleSeconds}});
    return evening.host.log;
}

TEST_P(TolderEvening, GrumblesComeAtShrinkingIntervalsUntilInput) {
    SimulatedEvening evening{Settings{}};
    evening.bootedAt(GetParam());
    EXPECT_EQ(idleFrom140(evening, 315),
              " tolder@300 tolder@360 tolder@390 tolder@410 tolder@425 tolder@440 tolder@455");
    EXPECT_TRUE(evening.host.tolderTimerRunning);
    evening.play({{E::Use, 1}});
    EXPECT_FALSE(evening.host.tolderTimerRunning);
    evening.minutes(10);
    EXPECT_EQ(evening.host.scenesStarted, 7u);
}

// An ordinary boot, and one whose tick count wraps during the idle stretch.
INSTANTIATE_TEST_SUITE_P(Boots, TolderEvening, ::testing::Values(5'000'000u, 0xFFFFFFFFu - 299'000u));

// Every 15 s with no repeat set; a grumble that never reports is tried once
// more an idle stretch; none while a video title is open.
TEST(TolderEvening, AnUnsetRepeatASilentSceneAndAVideo) {
    Settings repeatZero;
    repeatZero.grumbleRepeat = 0;
    SimulatedEvening zero(repeatZero), silent{Settings{}}, video{Settings{}};
    EXPECT_EQ(idleFrom140(zero, 205), " tolder@300 tolder@315 tolder@330 tolder@345");
    silent.sceneBehaviour.secondsToStart = 1 << 30;  // no player: an error box instead of the scene
    EXPECT_EQ(idleFrom140(silent, 600), " tolder@300 tolder@360");
    silent.play({{E::Use, 1}, {E::Idle, 300}});
    EXPECT_EQ(silent.host.scenesStarted, 4u);
    video.host.videoOpen = true;
    EXPECT_EQ(idleFrom140(video, 600), "");
    video.host.videoOpen = false;
    video.play({{E::Idle, 60}});
    EXPECT_EQ(video.host.scenesStarted, 1u);
}

TEST(ControlEvening, LockedMinutesAreNotCountedAndNotCredited) {
    StartedEvening evening(withNessel());
    evening.minutes(10);
    for (auto [event, minutes, counted] :
         {std::tuple{7u, 2, 10}, {3u, 1, 10}, {8u, 1, 11}}) {  // locked, other, unlocked
        evening.core().sessionChanged(event);
        evening.minutes(minutes);
        EXPECT_EQ(evening.host.storedState().nesselMinutes, counted) << event;
    }
    evening.core().sessionChanged(2);
    EXPECT_FALSE(evening.core().sessionActive());
    evening.core().sessionChanged(1);
    EXPECT_TRUE(evening.core().sessionActive());
}

// Names compare exactly, and the icon never shows with selected users.
TEST(ControlEvening, UsersOutsideTheListAreNeitherCountedNorShownTheIcon) {
    struct Case {
        std::vector<std::u16string> users;
        int32_t counted;
    };
    for (const Case& c : {Case{{}, 0}, Case{{u"Kid", u"kid2"}, 0}, Case{{u"anna", u"kid"}, 5}}) {
        Settings settings = withNessel();
        settings.selectedUsersOnly = 1;
        settings.users = c.users;
        StartedEvening evening(settings, u"kid");
        evening.minutes(5);
        EXPECT_EQ(evening.host.storedState().nesselMinutes, c.counted) << c.users.size();
        EXPECT_EQ(evening.host.trayChanges, 0);
    }
}

}  // namespace

// Whole evenings replayed second by second through the control logic.
#include <gtest/gtest.h>

#include "simulated_evening.h"

namespace {

using Seconds = std::vector<uint64_t>;

// The shut-down requests: when, and whether forced.
using Requests = std::vector<std::pair<uint64_t, bool>>;

// At every bedtime: the turn-off scene at its minute, the shut-down 3 minutes
// and the forced one 5 minutes after it.
TEST(NesselEvening, TurnOffSceneThenNormalAndForcedShutdown) {
    for (int16_t bedtime : {1, 2, 45, 240}) {
        SCOPED_TRACE(bedtime);
        Settings settings = withNessel();
        settings.bedtimeMinutes = bedtime;
        StartedEvening evening(settings);
        evening.minutes(bedtime - 1);
        EXPECT_TRUE(evening.host.starts.empty());
        EXPECT_EQ(evening.host.storedState().nesselMinutes, bedtime - 1);

        evening.minutes(1);
        const uint64_t at = 60 * bedtime;
        EXPECT_EQ(evening.host.startSeconds(u"/show:nessel-turnoff"), Seconds{at});
        EXPECT_TRUE(evening.host.storedState().sleepPending);
        evening.seconds(10);
        EXPECT_EQ(evening.runningScenes(), 1u);  // the turn-off scene may play

        evening.minutes(10);
        EXPECT_EQ(evening.host.shutdowns, (Requests{{at + 180, false}, {at + 300, true}}));
        EXPECT_EQ(evening.host.starts.size(), 1u);
    }
}

// A module frozen for a while, or ended and started again, is behind the
// guard's count: it takes the guard's minutes, and bedtime comes with the guard's.
TEST(NesselEvening, TheGuardsCountBringsBedtimeSooner) {
    StartedEvening evening(withNessel());
    evening.minutes(10);
    StateRecord guard;
    guard.nesselMinutes = 40;
    const StateImage image = encodeStateRecord(guard);
    evening.host.ledger.assign(image.begin(), image.end());
    evening.minutes(5);
    EXPECT_EQ(evening.host.startSeconds(u"/show:nessel-turnoff"), Seconds{900});
}

TEST(NesselEvening, RestartInsideTheSleepTimeGetsTheSleepSceneAndAForcedShutdown) {
    StartedEvening evening(withNessel());
    evening.minutes(50);  // turn-off at 45, forced shut-down requested at 50
    const uint64_t lastAwake = evening.host.storedState().lastAwake;

    evening.switchOffFor(30);
    evening.host.shutdowns.clear();
    evening.startModule();
    const uint64_t restartedAt = evening.host.secondsSinceEvening();
    EXPECT_EQ(evening.host.startSeconds(u"/show:nessel-sleep"), Seconds{restartedAt});
    evening.seconds(15);
    EXPECT_EQ(evening.runningScenes(), 1u);  // not told to close: the sleep scene plays out
    evening.minutes(5);
    EXPECT_EQ(evening.host.shutdowns, (Requests{{restartedAt + 180, true}}));
    EXPECT_EQ(evening.host.storedState().lastAwake, lastAwake);  // sleep minutes are not awake minutes

    // Still inside the sleep time counted from the last awake minute...
    evening.switchOffFor(20);
    evening.startModule();
    EXPECT_TRUE(evening.core().schedules().sleepMode());
    // ...and over once it has passed: a fresh evening.
    evening.switchOffFor(5);
    evening.startModule();
    EXPECT_FALSE(evening.core().schedules().sleepMode());
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 0);
    EXPECT_FALSE(evening.host.storedState().sleepPending);
    EXPECT_EQ(evening.host.startSeconds(u"/show:nessel-sleep").size(), 2u);  // none for a fresh evening
}

TEST(NesselEvening, AnIdleMinuteAtBedtimeIsNotCounted) {
    StartedEvening evening(withNessel());
    evening.seconds(44 * 60 + 10);
    evening.userActive = false;
    evening.seconds(80);  // the tick at 45:00 finds the last input 50 s old
    evening.userActive = true;
    EXPECT_EQ(evening.host.startSeconds(u"/show:nessel-turnoff"), Seconds{2700});
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 44);
    evening.minutes(10);
    EXPECT_EQ(evening.host.shutdowns, (Requests{{2940, false}, {3060, true}}));
}

TEST(NesselEvening, BedtimeDuringAGrumbleWaitsForTheGrumbleToEnd) {
    SimulatedEvening evening(withNessel());
    evening.sceneBehaviour.lengthSeconds = 90;
    evening.startModule();
    evening.seconds(41 * 60 + 20);
    evening.userActive = false;
    evening.seconds(190);  // 160 s idle at the tick of 44:00: a grumble until about 45:31
    evening.userActive = true;
    evening.seconds(30);  // back at 44:30; bedtime is reached at 45:00
    ASSERT_EQ(evening.host.startSeconds(u"/show:tolder"), Seconds{2640});
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 44);
    EXPECT_TRUE(evening.host.startSeconds(u"/show:nessel-turnoff").empty());

    evening.minutes(1);
    EXPECT_EQ(evening.host.startSeconds(u"/show:nessel-turnoff"), Seconds{2760});
    evening.minutes(5);
    EXPECT_EQ(evening.host.shutdowns, (Requests{{2940, false}, {3060, true}}));
}

TEST(NesselEvening, AMissingSceneProgramDoesNotStopTheShutdown) {
    Settings settings = withNessel();
    settings.hopsaDisabled = 0;
    SimulatedEvening evening(settings);
    evening.host.programsPresent = false;
    evening.startModule();
    evening.minutes(50);
    EXPECT_EQ(evening.host.shutdowns, (Requests{{2880, false}, {3000, true}}));
    EXPECT_FALSE(evening.host.storedState().firstExerciseDone);
}

TEST(HopsaEvening, ExerciseEveryIntervalAndTheFirstSceneOnlyOnceEver) {
    StartedEvening evening(withHopsa());
    evening.minutes(50);
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-first"), Seconds{900});
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-usual"), (Seconds{1800, 2700}));
    EXPECT_TRUE(evening.host.storedState().firstExerciseDone);
    EXPECT_EQ(evening.host.storedState().hopsaMinutes, 5);

    evening.switchOffFor(4);
    evening.startModule();
    evening.minutes(10);
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-first").size(), 1u);
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-usual").size(), 3u);

    evening.host.stateFile.clear();  // a new user account
    evening.switchOffFor(1);
    evening.startModule();
    evening.minutes(15);
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-first").size(), 2u);
}

// One exercise at a time: a tick that finds one on screen misses its turn,
// and the count starts again when the exercise ends.
TEST(HopsaEvening, ALongExerciseDelaysTheNextOne) {
    struct Case {
        int16_t interval;
        Seconds first, usual;
    };
    for (const Case& c : {Case{1, {60}, {180, 300}}, Case{2, {120}, {300}}}) {
        Settings settings = withHopsa();
        settings.exerciseInterval = c.interval;
        SimulatedEvening evening(settings);
        evening.sceneBehaviour.lengthSeconds = 90;
        evening.startModule();
        evening.minutes(5);
        EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-first"), c.first) << c.interval;
        EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-usual"), c.usual) << c.interval;
    }
}

TEST(HopsaEvening, AnExerciseThatStopsReportingIsEndedAndStartedAgainOnce) {
    for (bool hangs : {false, true}) {
        SimulatedEvening evening(withHopsa());
        SceneBehaviour stops{1, 20};
        (hangs ? stops.hangsAfterStart : stops.diesAfterStart) = true;
        evening.nextScenes = {stops, SceneBehaviour{3, 20}};
        evening.startModule();
        evening.minutes(15);
        evening.seconds(30);
        EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-first"), Seconds{900});
        // Last heard at 901, missed for more than 3 s at 905; the new scene is slow to
        // report but is not started a second time.
        EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-usual"), Seconds{905});
        EXPECT_EQ(evening.mostScenesAtOnce(), 1u) << "a hung scene was left beside the next";
        EXPECT_EQ(evening.runningScenes(), 0u);
        EXPECT_EQ(evening.core().schedules().sceneKind(), SceneKind::None);
        EXPECT_FALSE(evening.host.watchdogRunning);
    }
}

TEST(HopsaEvening, AnExerciseThatNeverReportsIsStartedAgainOnceThenWaitsForTheNextInterval) {
    SimulatedEvening evening(withHopsa());
    SceneBehaviour silent;
    silent.secondsToStart = 1 << 30;  // hung, or no player: an error box stays instead of the scene
    evening.nextScenes = {silent, SceneBehaviour{}};
    evening.startModule();
    evening.minutes(15);
    evening.seconds(40);
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-first"), Seconds{900});
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-usual"), Seconds{916});
    EXPECT_EQ(evening.core().schedules().sceneKind(), SceneKind::None) << "the second one played to its end";

    // From now on no scene ever reports: one start again per exercise, no more.
    evening.sceneBehaviour = silent;
    evening.minutes(30);
    EXPECT_EQ(evening.host.startSeconds(u"/show:hopsa-usual"), (Seconds{916, 1800, 1816, 2700, 2716}));
}

TEST(HopsaEvening, SkipIdleTimeCountsAMinuteWithInputUpTo40SecondsOld) {
    struct Case {
        bool skipIdleTime;
        uint64_t idleSeconds;
        int32_t expectedMinutes;
    };
    for (const Case& c : {Case{true, 40, 14}, Case{true, 41, 13}, Case{false, 41, 14}}) {
        Settings settings = withHopsa();
        settings.skipIdleTime = c.skipIdleTime;
        StartedEvening evening(settings);
        evening.seconds(14 * 60 - c.idleSeconds);
        evening.userActive = false;
        evening.seconds(c.idleSeconds);
        EXPECT_EQ(evening.host.storedState().hopsaMinutes, c.expectedMinutes) << c.skipIdleTime << " " << c.idleSeconds;
    }
}

class TolderEvening : public ::testing::TestWithParam<uint32_t> {};

// Starts of "/show:tolder", in seconds of idleness, after the last input at 2:20.
Seconds grumblesAfterInputStopsAt140(SimulatedEvening& evening, uint64_t idleSeconds) {
    evening.sceneBehaviour.lengthSeconds = 10;
    evening.startModule();
    evening.seconds(140);
    evening.userActive = false;
    evening.seconds(idleSeconds);
    Seconds idle;
    for (uint64_t second : evening.host.startSeconds(u"/show:tolder")) idle.push_back(second - 140);
    return idle;
}

TEST_P(TolderEvening, GrumblesComeAtShrinkingIntervalsUntilInput) {
    SimulatedEvening evening{Settings{}};
    evening.bootedAt(GetParam());
    EXPECT_EQ(grumblesAfterInputStopsAt140(evening, 315), (Seconds{160, 220, 250, 270, 285, 300, 315}));
    EXPECT_TRUE(evening.host.tolderTimerRunning);

    evening.userActive = true;
    evening.seconds(1);
    EXPECT_FALSE(evening.host.tolderTimerRunning);
    evening.minutes(10);
    EXPECT_EQ(evening.host.startSeconds(u"/show:tolder").size(), 7u);
}

// An ordinary boot, and one whose tick count wraps during the idle stretch.
INSTANTIATE_TEST_SUITE_P(Boots, TolderEvening, ::testing::Values(5'000'000u, 0xFFFFFFFFu - 299'000u));

TEST(TolderEvening, RepeatZeroGrumblesEvery15Seconds) {
    Settings settings;
    settings.grumbleRepeat = 0;
    SimulatedEvening evening(settings);
    EXPECT_EQ(grumblesAfterInputStopsAt140(evening, 205), (Seconds{160, 175, 190, 205}));
}

TEST(TolderEvening, AGrumbleThatNeverReportsIsTriedOnceMorePerIdleStretch) {
    SimulatedEvening evening{Settings{}};
    evening.sceneBehaviour.secondsToStart = 1 << 30;  // no player: an error box instead of the scene
    EXPECT_EQ(grumblesAfterInputStopsAt140(evening, 600), (Seconds{160, 220}));
    evening.userActive = true;
    evening.seconds(1);
    evening.userActive = false;
    evening.seconds(300);
    EXPECT_EQ(evening.host.startSeconds(u"/show:tolder").size(), 4u);
}

TEST(TolderEvening, SilentWhileAVideoTitleIsOpen) {
    SimulatedEvening evening{Settings{}};
    evening.host.videoOpen = true;
    EXPECT_TRUE(grumblesAfterInputStopsAt140(evening, 600).empty());
    evening.host.videoOpen = false;
    evening.minutes(1);
    EXPECT_EQ(evening.host.startSeconds(u"/show:tolder").size(), 1u);
}

TEST(TolderEvening, SilentUntilTheFirstInputSinceTheResynchronisation) {
    SimulatedEvening evening{Settings{}};
    evening.userActive = false;
    evening.startModule();
    evening.minutes(10);
    EXPECT_TRUE(evening.host.starts.empty());
    evening.input();
    evening.minutes(3);
    EXPECT_EQ(evening.host.startSeconds(u"/show:tolder"), Seconds{780});
}

TEST(ControlEvening, LockedMinutesAreNotCountedAndNotCredited) {
    StartedEvening evening(withNessel());
    evening.minutes(10);
    evening.core().sessionChanged(7);  // locked
    evening.minutes(2);
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 10);
    evening.core().sessionChanged(3);  // other events change nothing
    evening.minutes(1);
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 10);
    evening.core().sessionChanged(8);
    evening.minutes(1);
    EXPECT_EQ(evening.host.storedState().nesselMinutes, 11);
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

// Scenes under faults: an exercise whose process is killed comes back. (A
// movie damaged inside the archive reads as missing: the archive refuses it,
// tested natively, and ScenePlayer.AMissingMovieIsSkippedAtOnce skips it.)
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "control/control_module_win.h"
#include "control/state_record.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/scene_program.h"
#include "support/suite.h"

using SceneFaults = suite::SceneProgram;

// The module, with a minute of 100 ms, starts an exercise every minute; the
// scene's process is killed at random moments, also before its first report,
// and the watchdog brings the exercise back.
TEST_F(SceneFaults, AKilledExerciseComesBackAndTheStateStaysWhole) {
    ASSERT_TRUE(useArchive(PALLO_CONTENT_ARCHIVE));
    Settings settings;
    settings.hopsaDisabled = 0;
    settings.tolderDisabled = 1;
    settings.exerciseInterval = 1;
    ASSERT_TRUE(suite::writeSettings(settings));
    SetCurrentDirectoryW(program_.c_str());
    ASSERT_NE(module_.start(100), nullptr);

    std::mt19937 random(GetTickCount());
    HWND scene = suite::waitForScene(10000);
    ASSERT_NE(scene, nullptr) << "no exercise started";
    for (int round = 0; round < 3; ++round) {
        DWORD delay = random() % 1500;
        Sleep(delay);
        suite::killProcessOf(scene);
        DWORD killed = GetTickCount();
        ASSERT_FALSE(IsWindow(scene));
        scene = suite::waitForScene(20000);
        ASSERT_NE(scene, nullptr) << "round " << round << ": the exercise did not come back";
        DWORD back = GetTickCount() - killed;
        // A scene killed before its first report is given 15 s to send one.
        EXPECT_LE(back, delay >= 500 ? 6000u : 18000u) << "round " << round << ", killed after " << delay << " ms";
    }

    module_.stop();
    StateRecord record;
    ASSERT_TRUE(suite::readState(record));
    EXPECT_TRUE(record.firstExerciseDone);
}

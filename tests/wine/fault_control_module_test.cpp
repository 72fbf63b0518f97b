#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "control/control_module_win.h"
#include "control/state_record.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

using suite::nowUtc;
using suite::readState;

constexpr uint64_t kUnitsPerHour = 36'000'000'000ull;

class ControlModuleFaults : public ::testing::Test {
protected:
    void SetUp() override { suite::installControlModule(); }
    void TearDown() override {
        module_.stop();
        suite::removeSuiteFiles();
    }

    // Scenes the module starts go to the recorder.
    suite::RecorderFolder program_{L"program"};
    suite::ModuleThread module_;
};

}  // namespace

// The installed module is killed at random moments of its start and its
// minutes; every start reads what the killed one left and goes on from it.
TEST_F(ControlModuleFaults, KilledAtRandomMomentsTheStateStaysWholeAndTheCountersGoOn) {
    HANDLE first = suite::start(dataLocations().controlModulePath(), L"/control");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(suite::waitForWindow(kControlWindowTitle, 10000), nullptr);
    suite::stopControlModules();
    CloseHandle(first);
    StateRecord seeded;
    ASSERT_TRUE(readState(seeded));
    seeded.nesselMinutes = 20;
    seeded.hopsaMinutes = 7;
    seeded.firstExerciseDone = true;
    ASSERT_TRUE(suite::writeState(seeded));

    std::mt19937 random(GetTickCount());
    for (int round = 0; round < 8; ++round) {
        HANDLE process = suite::start(dataLocations().controlModulePath(), L"/control");
        ASSERT_NE(process, nullptr);
        // Odd rounds kill during the start, before the window may exist.
        if (round % 2)
            Sleep(random() % 300);
        else
            ASSERT_NE(suite::waitForWindow(kControlWindowTitle, 10000), nullptr);
        Sleep(random() % 700);
        suite::killProcess(process);
        ASSERT_TRUE(suite::waitForNoWindow(kControlWindowTitle, 5000));

        StateRecord record;
        ASSERT_TRUE(readState(record)) << "round " << round;
        EXPECT_GE(record.nesselMinutes, 20) << "round " << round;
        EXPECT_GE(record.hopsaMinutes, 7) << "round " << round;
        EXPECT_TRUE(record.firstExerciseDone) << "round " << round;
        EXPECT_LT(record.lastActive, nowUtc() + kUnitsPerHour);
        EXPECT_GE(record.lastActive, seeded.lastActive);
    }
}

// A read-only state file: where it cannot be opened for writing the module
// runs without one and leaves it as it was; where it can (Wine run by root),
// the record it writes carries the stored counters on.
TEST_F(ControlModuleFaults, AReadOnlyStateFileLeavesTheModuleRunningAndTheCountersKept) {
    StateRecord stored;
    stored.lastActive = stored.lastAwake = nowUtc();
    stored.nesselMinutes = 3;
    stored.hopsaMinutes = 2;
    ASSERT_TRUE(suite::writeState(stored));
    SetFileAttributesW(dataLocations().statePath(), FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(module_.start(50), nullptr);  // on a thread of the test, with a minute of 50 ms
    Sleep(200);
    EXPECT_EQ(queryMode(), 1);
    module_.stop();
    StateRecord record;
    ASSERT_TRUE(readState(record));
    EXPECT_EQ(record.nesselMinutes, 3);
    EXPECT_EQ(record.hopsaMinutes, 2);
    EXPECT_GE(record.lastActive, stored.lastActive);
}

#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "control/control_module_win.h"
#include "control/state_record.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

using suite::nowUtc;
using suite::readState;

constexpr uint64_t kUnitsPerHour = 36'000'000'000ull;

std::string garbage(std::mt19937& random, size_t length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

class ControlModuleFaults : public ::testing::Test {
protected:
    void SetUp() override { suite::installControlModule(); }
    void TearDown() override {
        stopInProcess();
        suite::removeSuiteFiles();
    }

    // The module on a thread of the test, with a minute of 50 ms.
    HWND startInProcess() { return module_.start(50); }
    void stopInProcess() { module_.stop(); }

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

    HANDLE last = suite::start(dataLocations().controlModulePath(), L"/control");
    ASSERT_NE(suite::waitForWindow(kControlWindowTitle, 10000), nullptr);
    EXPECT_EQ(queryMode(), 1);
    suite::stopControlModules();
    if (last) CloseHandle(last);
    StateRecord closed;
    ASSERT_TRUE(readState(closed));
    EXPECT_GE(closed.nesselMinutes, 20);
    EXPECT_GE(closed.hopsaMinutes, 7);
}

// A state file of any short garbage is read within its bounds; the module
// writes a record of its own over it, dated now.
TEST_F(ControlModuleFaults, AStateFileOfGarbageOfEveryShortLengthIsReplacedByAWholeRecord) {
    std::mt19937 random(7);
    for (size_t length = 0; length <= 40; ++length) {
        ASSERT_TRUE(suite::writeBytes(dataLocations().statePath(), garbage(random, length)));
        uint64_t before = nowUtc();
        ASSERT_NE(startInProcess(), nullptr) << "length " << length;
        Sleep(60);
        EXPECT_EQ(queryMode(), 1) << "length " << length;
        stopInProcess();

        std::string bytes = suite::readBytes(dataLocations().statePath());
        ASSERT_EQ(bytes.size(), length > kStateRecordSize ? length : kStateRecordSize) << "length " << length;
        StateRecord record;
        decodeStateRecord(reinterpret_cast<const uint8_t*>(bytes.data()), kStateRecordSize, record);
        EXPECT_GE(record.lastActive, before) << "length " << length;
        EXPECT_LT(record.lastActive, nowUtc() + 1) << "length " << length;
    }
}

// Settings and password files made read-only or filled with garbage while
// the module runs its minutes: it keeps answering. What such files mean is
// tested natively.
TEST_F(ControlModuleFaults, SettingsAndPasswordFilesDamagedWhileTheModuleRuns) {
    ASSERT_NE(startInProcess(), nullptr);
    std::mt19937 random(11);
    for (size_t length = 0; length <= 40; ++length) {
        for (const wchar_t* path : {dataLocations().settingsPath(), dataLocations().passwordPath()}) {
            SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
            ASSERT_TRUE(suite::writeBytes(path, garbage(random, length)));
            if (length % 3 == 0) SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY);
        }
        sendControlCommand(kCommandOptionsUpdate, 0, nullptr);
        Sleep(60);
        ASSERT_EQ(queryMode(), 1) << "length " << length;
        proveAdministrator(FindWindowW(nullptr, kControlWindowTitle));
        sendControlCommand(kCommandParents, 1, L"anything");
        requestChildMode();
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
    ASSERT_NE(startInProcess(), nullptr);
    Sleep(200);
    EXPECT_EQ(queryMode(), 1);
    stopInProcess();
    StateRecord record;
    ASSERT_TRUE(readState(record));
    EXPECT_EQ(record.nesselMinutes, 3);
    EXPECT_EQ(record.hopsaMinutes, 2);
    EXPECT_GE(record.lastActive, stored.lastActive);
}

// Scenes under faults: an exercise whose process is killed comes back, and a
// movie damaged inside the archive is skipped while the others play.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "content/archive.h"
#include "content/archive_win.h"
#include "content/archive_writer.h"
#include "control/control_module_win.h"
#include "control/state_record.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/fake_control_module.h"
#include "support/scene_program.h"
#include "support/suite.h"

namespace {

std::vector<uint8_t> utf16Document(const char* text) {
    std::vector<uint8_t> bytes;
    for (const char* at = text; *at; ++at) {
        if (*at == '\n') bytes.insert(bytes.end(), {'\r', 0});
        bytes.insert(bytes.end(), {static_cast<uint8_t>(*at), 0});
    }
    return bytes;
}

void shutdownIgnored(bool) {}

using SceneFaults = suite::SceneProgram;

}  // namespace

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
    ControlModuleOptions options;
    options.minuteMs = 100;
    options.shutdown = &shutdownIgnored;
    ASSERT_NE(module_.start(options), nullptr);

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
        EXPECT_LE(back, delay >= 500 ? 6000u : 18000u) << "round " << round;
        std::printf("round %d: killed after %lu ms, back after %lu ms\n", round, delay, back);
    }

    module_.stop();
    StateRecord record;
    ASSERT_TRUE(suite::readState(record));
    EXPECT_TRUE(record.firstExerciseDone);
}

// An archive whose middle grumble movie has damaged bytes: the scene skips it,
// plays the first and the last, and reports its normal end.
TEST_F(SceneFaults, AMovieDamagedInTheArchiveIsSkippedAndTheSceneEndsNormally) {
    std::unique_ptr<VfsArchive> content = vfsOpenArchive(PALLO_CONTENT_ARCHIVE, VfsCodec::standard());
    ASSERT_NE(content, nullptr);
    VfsCodec codec = VfsCodec::standard();
    VfsWriter writer(codec, randomBytes);
    for (const char16_t* name : {u"swf/tolder-1.swf", u"swf/tolder-2.swf", u"swf/tolder-3.swf"}) {
        VfsEntry* entry = content->find(name);
        ASSERT_NE(entry, nullptr);
        VfsBuffer movie = content->read(*entry);
        ASSERT_NE(movie, nullptr);
        writer.addFile(name, std::vector<uint8_t>(movie.get(), movie.get() + entry->plainSize), Compression::Never);
    }
    writer.addFile(u"info/c-tolder.txt",
                   utf16Document("close=none\noriginal-size=640x480\n"
                                 "swf1=tolder-1.swf\ntime1=0:2:0\n"
                                 "swf2=tolder-2.swf\ntime2=0:2:0\n"
                                 "swf3=tolder-3.swf\ntime3=0:2:0\n"),
                   Compression::Never);
    std::vector<uint8_t> archive = writer.build();

    // Flip bytes in the middle of the second movie's stored item.
    std::wstring path = program_ + L"\\pallo.vfs";
    ASSERT_TRUE(suite::writeBytes(path, std::string(archive.begin(), archive.end())));
    std::unique_ptr<VfsArchive> written = vfsOpenArchive(path.c_str(), codec);
    ASSERT_NE(written, nullptr);
    VfsEntry* damaged = written->find(u"swf/tolder-2.swf");
    ASSERT_NE(damaged, nullptr);
    uint64_t middle = written->dataBase() + damaged->offset() + damaged->storedSize / 2;
    ASSERT_LT(middle + 16, archive.size());
    for (uint64_t at = middle; at < middle + 16; ++at) archive[at] ^= 0x5A;
    written.reset();
    ASSERT_TRUE(suite::writeBytes(path, std::string(archive.begin(), archive.end())));
    std::unique_ptr<VfsArchive> check = vfsOpenArchive(path.c_str(), codec);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(vfsReadFile(check.get(), u"swf/tolder-2.swf", nullptr), nullptr);
    EXPECT_NE(vfsReadFile(check.get(), u"swf/tolder-1.swf", nullptr), nullptr);
    check.reset();

    suite::FakeControlModule module;
    HANDLE process = play(L"tolder");
    ASSERT_NE(process, nullptr);
    EXPECT_NE(suite::waitForScene(10000), nullptr);
    ASSERT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    std::vector<suite::FakeControlModule::Command> commands = module.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands.front().code, kCommandTikkoStart);
    EXPECT_EQ(commands.back().code, kCommandTikkoComplete);
    DWORD played = commands.back().tick - commands.front().tick;
    EXPECT_GE(played, 3500u) << "the first and the last movie play their time";
    EXPECT_LE(played, 5500u) << "the damaged movie is not waited for";
}

// The suite's real scenes from the built pallo.vfs, played by qz.exe with a
// stand-in control module: each shows Tikko in its window shape, and the
// grumble plays to its end. The other lengths are checked natively.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/control_channel_win.h"
#include "support/fake_control_module.h"
#include "support/scene_program.h"
#include "support/suite.h"

namespace {

double furShare(HWND window) { return suite::shareOnScreen(window, suite::isTikkoFur); }

class ContentScenes : public suite::SceneProgram {
protected:
    void SetUp() override {
        SceneProgram::SetUp();
        ASSERT_TRUE(useArchive(PALLO_CONTENT_ARCHIVE));
    }
};

}  // namespace

// It reports its start and end, some 7 s apart.
TEST_F(ContentScenes, TheGrumbleShowsTikkoAndPlaysToItsEnd) {
    suite::FakeControlModule module;
    HANDLE process = play(L"tolder");
    HWND window = suite::waitForScene(10000);
    ASSERT_NE(window, nullptr);
    Sleep(1000);
    EXPECT_GT(furShare(window), 0.02) << "Tikko is not on screen";
    ASSERT_EQ(WaitForSingleObject(process, 12000), WAIT_OBJECT_0);
    std::vector<suite::FakeControlModule::Command> commands = module.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands.front().code, kCommandTikkoStart);
    EXPECT_EQ(commands.back().code, kCommandTikkoComplete);
    DWORD played = commands.back().tick - commands.front().tick;
    EXPECT_GE(played, 5500u);
    EXPECT_LE(played, 9000u);
}

TEST_F(ContentScenes, LongScenesShowTikkoInTheirWindowShape) {
    struct Long {
        const wchar_t* name;
        bool fullscreen;
        bool manual;
    };
    for (const Long& scene :
         {Long{L"nessel-turnoff", true, false}, Long{L"nessel-sleep", true, false}, Long{L"hopsa-first", false, false},
          Long{L"hopsa-usual", false, false}, Long{L"hopsa-manual", false, true}}) {
        SCOPED_TRACE(scene.name);
        suite::FakeControlModule module;
        HANDLE process = play(scene.name);
        HWND window = suite::waitForScene(10000);
        ASSERT_NE(window, nullptr);
        Sleep(1500);
        RECT frame;
        GetWindowRect(window, &frame);
        if (scene.fullscreen) {
            EXPECT_EQ(frame.right - frame.left, GetSystemMetrics(SM_CXSCREEN));
            EXPECT_EQ(frame.bottom - frame.top, GetSystemMetrics(SM_CYSCREEN));
            EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
        } else {
            EXPECT_GE(frame.right - frame.left, GetSystemMetrics(SM_CXSCREEN) * 9 / 10) << "not maximised";
            EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
        }
        EXPECT_GT(furShare(window), 0.01) << "Tikko is not on screen";
        EXPECT_NE(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "ended early";
        std::vector<unsigned> codes = module.codes();
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.front(), scene.manual ? kCommandTestCloseWindow : kCommandTikkoStart);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
}

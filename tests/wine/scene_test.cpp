#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control/control_module_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/fake_control_module.h"
#include "support/scene_program.h"
#include "support/suite.h"

namespace {

COLORREF clientPixel(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return color;
}

bool closeTo(COLORREF color, int r, int g, int b) {
    return std::abs(GetRValue(color) - r) <= 8 && std::abs(GetGValue(color) - g) <= 8 &&
           std::abs(GetBValue(color) - b) <= 8;
}

class ScenePlayer : public suite::SceneProgram {
protected:
    void SetUp() override {
        SceneProgram::SetUp();
        ASSERT_TRUE(useArchive(PALLO_SCENE_ARCHIVE));
    }

    static bool ends(HANDLE process, DWORD timeoutMs) {
        return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    }

    // The real control module on a thread of the test, with a 100 ms minute,
    // starting an exercise every 3 s from the program folder.
    void runExercises() {
        Settings settings;
        settings.hopsaDisabled = 0;
        settings.exerciseInterval = 30;
        suite::writeSettings(settings);
        SetCurrentDirectoryW(program_.c_str());
        ASSERT_NE(module_.start(100), nullptr);
    }
};

}  // namespace

TEST_F(ScenePlayer, AnExerciseBreakRunsFromTheMinuteTickToTheScreenAndBack) {
    runExercises();
    HWND first = suite::waitForScene(10000);
    ASSERT_NE(first, nullptr);
    DWORD shown = GetTickCount();
    Sleep(700);
    EXPECT_TRUE(closeTo(clientPixel(first, 4, 4), 200, 230, 255)) << std::hex << clientPixel(first, 4, 4);

    // The 4 s movie outlives the 3 s heartbeat limit: only the scene's own
    // heartbeats keep a second exercise from starting meanwhile.
    const DWORD firstId = suite::processOf(first);
    HANDLE firstProcess = OpenProcess(SYNCHRONIZE, FALSE, firstId);
    ASSERT_NE(firstProcess, nullptr);
    EXPECT_TRUE(ends(firstProcess, 8000));
    CloseHandle(firstProcess);
    EXPECT_GE(GetTickCount() - shown, 3000u);
    EXPECT_EQ(suite::waitForScene(0, firstId), nullptr) << "a scene started while the first still ran";
    EXPECT_EQ(suite::filesIn(std::wstring(dataLocations().tempFolder()) + L"*.swf"), std::vector<std::wstring>{});

    // Its end cleared the scene: Hopsa counts again and the next exercise comes.
    EXPECT_NE(suite::waitForScene(8000, firstId), nullptr);
}

// A scene that hangs stops reporting: the module ends it before it starts the
// next, so hung scenes never pile up.
TEST_F(ScenePlayer, AHungExerciseIsEndedBeforeTheNextStarts) {
    runExercises();
    HWND first = suite::waitForScene(10000);
    ASSERT_NE(first, nullptr);
    const DWORD firstId = suite::processOf(first);
    HANDLE firstProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, firstId);
    ASSERT_NE(firstProcess, nullptr);
    suite::suspendProcess(firstId, true);
    EXPECT_NE(suite::waitForScene(10000, firstId), nullptr) << "no exercise after the hung one";
    EXPECT_TRUE(ends(firstProcess, 1000)) << "the hung scene stayed beside the next";
    TerminateProcess(firstProcess, 1);
    CloseHandle(firstProcess);
}

TEST_F(ScenePlayer, AManualSceneReportsNothingAndClosesWhenTheModuleAsks) {
    suite::FakeControlModule module;
    HANDLE process = play(L"test");
    ASSERT_NE(suite::waitForScene(10000), nullptr);
    ASSERT_TRUE(module.waitFor(kCommandTestCloseWindow, 2, 4000));
    module.askToClose(true);
    DWORD asked = GetTickCount();
    EXPECT_TRUE(ends(process, 3000));
    EXPECT_LE(GetTickCount() - asked, 1500u);
    for (unsigned code : module.codes()) EXPECT_EQ(code, kCommandTestCloseWindow);
    EXPECT_EQ(suite::filesIn(std::wstring(dataLocations().tempFolder()) + L"*.swf"), std::vector<std::wstring>{});
}

TEST_F(ScenePlayer, CloseRequestsFollowTheCloseKeyAndEnterNeverCloses) {
    suite::FakeControlModule module;
    HANDLE minimizing = play(L"hopsa-manual");  // "close" = "minimize" from the common script
    HWND window = suite::waitForScene(10000);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    Sleep(500);
    EXPECT_TRUE(IsIconic(window));
    size_t polls = module.codes().size();
    Sleep(1500);
    EXPECT_GT(module.codes().size(), polls) << "a minimised scene goes on polling";
    EXPECT_FALSE(ends(minimizing, 0));
    TerminateProcess(minimizing, 1);
    WaitForSingleObject(minimizing, 5000);

    HANDLE ignoring = play(L"tolder");  // "close" = "none"
    window = suite::waitForScene(10000);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(ends(ignoring, 800));
    EXPECT_FALSE(IsIconic(window));
}

// Each scene reports to its own stand-in module: a missing movie is skipped,
// a scene without a first movie ends at once, and without the player message
// 110 shows and nothing is sent.
TEST_F(ScenePlayer, AMissingMovieIsSkippedAndASceneWithoutAFirstMovieOrThePlayerEndsAtOnce) {
    {
        suite::FakeControlModule module;
        HANDLE process = play(L"hopsa-usual");
        EXPECT_TRUE(ends(process, 10000));
        std::vector<suite::FakeControlModule::Command> commands = module.commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.front().code, kCommandTikkoStart);
        EXPECT_EQ(commands.back().code, kCommandTikkoComplete);
        DWORD played = commands.back().tick - commands.front().tick;
        EXPECT_GE(played, 1500u);
        EXPECT_LE(played, 3500u) << "the missing movie's 5 s were not skipped";
    }
    {
        suite::FakeControlModule module;
        EXPECT_TRUE(ends(play(L"nessel-sleep"), 5000));
        EXPECT_EQ(module.codes(), (std::vector<unsigned>{kCommandTikkoComplete, kCommandTikkoStart}));
    }
    suite::FakeControlModule module;
    ASSERT_TRUE(DeleteFileW((program_ + L"\\tikkoplay.dll").c_str()));
    HANDLE process = play(L"tolder");
    HWND box = suite::waitForWindow(suite::infoCaption(), 10000, L"#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(suite::messageBoxText(box).rfind(L"Для работы программы необходимо установить", 0), 0u);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ends(process, 5000));
    EXPECT_TRUE(module.codes().empty());
}

TEST_F(ScenePlayer, DefaultWindowKeysPutAThirdSizedWindowInTheWorkAreasCorner) {
    suite::FakeControlModule module;
    play(L"tolder");
    HWND window = suite::waitForScene(10000);
    ASSERT_NE(window, nullptr);
    RECT work, frame, client;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(frame.right, work.right);
    EXPECT_EQ(frame.bottom, work.bottom);
    // Its size follows from the work area as tested natively.
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // The movie fills the client area: the player control covers it, and its
    // corners show the movie's sky, not the control's empty white.
    RECT player;
    GetWindowRect(GetDlgItem(window, IDC_MOVIE_PLAYER), &player);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&player), 2);
    EXPECT_TRUE(EqualRect(&player, &client))
        << player.left << "," << player.top << " to " << player.right << "," << player.bottom;
    Sleep(700);
    for (POINT corner : {POINT{2, 2}, POINT{client.right - 3, 2}, POINT{2, client.bottom - 3},
                         POINT{client.right - 3, client.bottom - 3}})
        EXPECT_TRUE(closeTo(clientPixel(window, corner.x, corner.y), 200, 230, 255))
            << corner.x << "," << corner.y << " " << std::hex << clientPixel(window, corner.x, corner.y);
}

namespace {
bool within(int value, int want) { return std::abs(value - want) <= 12; }
template <int R, int G, int B>
bool isColour(int r, int g, int b) {
    return within(r, R) && within(g, G) && within(b, B);
}
bool isBlack(int r, int g, int b) { return r < 12 && g < 12 && b < 12; }
}  // namespace

// tests/tools/featuremovie.cpp: a JPEG with separate tables, embedded-font text, a
// button, a multiplied overlay, a morph, a sprite a script stops, and a
// script jump to the last frame, which stops; the file is LZMA-compressed.
TEST_F(ScenePlayer, AMovieOfOtherToolsPlaysFromTheArchiveAndStopsOnItsLastFrame) {
    ASSERT_TRUE(useArchive(PALLO_FEATURES_ARCHIVE));
    suite::FakeControlModule module;
    play(L"test");
    HWND window = suite::waitForScene(10000);
    ASSERT_NE(window, nullptr);
    Sleep(1500);
    struct Part {
        const char* name;
        suite::PixelTest test;
        double least;
    };
    const Part parts[] = {{"JPEG bitmap", isColour<255, 128, 0>, 0.1},
                          {"edit text", isColour<255, 0, 255>, 0.02},
                          {"button up state", isColour<0, 255, 255>, 0.03},
                          {"multiplied overlay", isColour<0, 255, 0>, 0.008},
                          {"morph at half", isColour<128, 0, 127>, 0.03},
                          {"stopped sprite", isColour<0, 120, 0>, 0.03},
                          {"last frame", isColour<0, 0, 255>, 0.02}};
    for (int look = 0; look < 2; ++look) {
        for (const Part& part : parts)
            EXPECT_GT(suite::shareOnScreen(window, part.test), part.least) << part.name << ", look " << look;
        EXPECT_EQ(suite::shareOnScreen(window, isColour<120, 120, 0>), 0)
            << "the sprite was not stopped, look " << look;
        EXPECT_EQ(suite::shareOnScreen(window, isBlack), 0) << "the frames skipped by the script showed, look " << look;
        Sleep(1300);
    }
}

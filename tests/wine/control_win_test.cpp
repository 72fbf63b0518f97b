#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "control/controlled_user_win.h"
#include "control/last_input_win.h"
#include "settings/local_users_win.h"
#include "control/video_title_win.h"
#include "support/suite.h"

namespace {

bool tickBetween(DWORD tick, DWORD from, DWORD to) { return tick - from <= to - from; }

TEST(LastInput, FollowsInjectedInput) {
    const DWORD before = GetTickCount();
    Sleep(30);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = 3;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    ASSERT_EQ(SendInput(1, &move, sizeof move), 1u);
    Sleep(30);
    EXPECT_TRUE(tickBetween(lastInputTick(), before + 1, GetTickCount()));
}

TEST(LastInput, CursorFallbackSeesOnlyMovements) {
    SetCursorPos(100, 100);
    const DWORD first = lastInputTickByCursor();
    Sleep(50);
    EXPECT_EQ(lastInputTickByCursor(), first);
    SetCursorPos(200, 150);
    Sleep(50);
    const DWORD moved = lastInputTickByCursor();
    EXPECT_GE(moved - first, 50u);
    EXPECT_TRUE(tickBetween(moved, first, GetTickCount()));
}

class TitledWindow {
public:
    explicit TitledWindow(const wchar_t* title)
        : window_(CreateWindowW(L"STATIC", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {}
    ~TitledWindow() { DestroyWindow(window_); }
    void retitle(const wchar_t* title) { SetWindowTextW(window_, title); }

private:
    HWND window_;
};

TEST(CodePageVideoDetection, CyrillicTitles) {
    TitledWindow window(
        L"\u041c\u0443\u043b\u044c\u0442\u0438\u043a.WMV - "
        L"\u043f\u0440\u043e\u0438\u0433\u0440\u044b\u0432\u0430\u0442\u0435\u043b\u044c");
    EXPECT_TRUE(isVideoPlaying());
    window.retitle(L"\u041c\u0443\u043b\u044c\u0442\u0438\u043a.WMV \u043f\u0440\u043e");
    EXPECT_FALSE(isVideoPlaying());
}

TEST(Users, TheCurrentUserIsAListedLocalAccount) {
    const std::u16string name = currentUserName();
    ASSERT_FALSE(name.empty());
    std::vector<std::u16string> users{u"stale"};
    EXPECT_EQ(enumerateLocalUsers(users), 0);
    EXPECT_NE(std::find(users.begin(), users.end(), name), users.end());
    EXPECT_EQ(std::find(users.begin(), users.end(), u"stale"), users.end());

    // How names compare is tested natively (ControlEvening).
    Settings settings;
    settings.selectedUsersOnly = 1;
    settings.users = {name};
    EXPECT_TRUE(isControlledUser(settings));
}

// Under Wine a normal shut-down ends the prefix's windowed programs and leaves
// the computer alone; this console test process survives it.
TEST(Shutdown, ANormalRequestEndsTheSession) {
    const std::wstring canary = suite::binDir() + L"\\canary.exe";
    DeleteFileW((canary + L".log").c_str());
    HANDLE canaryProcess = suite::start(canary, L"");
    ASSERT_NE(canaryProcess, nullptr);
    ASSERT_NE(suite::waitForWindow(L"pallo-canary", 10000), nullptr);

    EXPECT_EQ(suite::run(suite::binDir() + L"\\shutdown_requester.exe", L""), 0u);
    EXPECT_EQ(WaitForSingleObject(canaryProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(canaryProcess);
    EXPECT_EQ(suite::readBytes(canary + L".log"), "query\nend\n");
}

}  // namespace

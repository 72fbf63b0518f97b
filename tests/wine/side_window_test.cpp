#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_control_module.h"
#include "support/suite.h"

namespace {

constexpr wchar_t kSideWindowTitle[] = L"qz-tolder-AdvWnd";
constexpr wchar_t kHelpClass[] = L"HH Parent";

size_t helpWindows() {
    size_t count = 0;
    for (HWND w = FindWindowW(kHelpClass, nullptr); w; w = FindWindowExW(nullptr, w, kHelpClass, nullptr))
        count += IsWindowVisible(w) ? 1 : 0;
    return count;
}

class SideWindow : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(dataLocations().controlModulePath());
        program_ = suite::makeProgramFolder(L"help-program");
        ASSERT_FALSE(program_.empty());
        ASSERT_TRUE(CopyFileW(PALLO_SCENE_ARCHIVE, (program_ + L"\\pallo.vfs").c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW((suite::binDir() + L"\\..\\pallo.chm").c_str(), (program_ + L"\\pallo.chm").c_str(), FALSE));
    }
    // The help processes are asked to end rather than killed: a help viewer
    // killed in the middle of its work can hold up the next one.
    void TearDown() override {
        module_.askToClose(true);
        for (HANDLE process : processes_) {
            if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
            }
            CloseHandle(process);
        }
    }
    HANDLE advtop() {
        HANDLE process = suite::start(program_ + L"\\qz.exe", L"/advtop");
        processes_.push_back(process);
        return process;
    }
    // The visible help window of the process once its side window runs (the
    // help has then finished opening; the first openings in a new Wine prefix
    // take several seconds), or null.
    static HWND waitForHelp(HANDLE process) {
        const DWORD wanted = GetProcessId(process);
        HWND help = suite::waitForVisible(kHelpClass, nullptr, 10000,
                                          [wanted](HWND window) { return suite::processOf(window) == wanted; });
        return help && suite::waitForWindow(kSideWindowTitle, 20000) ? help : nullptr;
    }

    std::wstring program_;
    std::vector<HANDLE> processes_;
    suite::FakeControlModule module_;
};

}  // namespace

TEST_F(SideWindow, ASecondStartRaisesTheOneHelpWindow) {
    HANDLE first = advtop();
    HWND help = waitForHelp(first);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(IsZoomed(help));
    ShowWindow(help, SW_MINIMIZE);

    HANDLE second = advtop();
    EXPECT_EQ(WaitForSingleObject(second, 10000), WAIT_OBJECT_0);
    Sleep(500);
    EXPECT_FALSE(IsIconic(help));
    EXPECT_TRUE(IsZoomed(help));
    EXPECT_EQ(helpWindows(), 1u);
    EXPECT_NE(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
}

TEST_F(SideWindow, ClosingTheHelpEndsTheProcessWithinASecond) {
    HANDLE process = advtop();
    HWND help = waitForHelp(process);
    ASSERT_NE(help, nullptr);
    PostMessageW(help, WM_CLOSE, 0, 0);
    DWORD closed = GetTickCount();
    EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0)
        << "side window open: " << (FindWindowW(nullptr, kSideWindowTitle) != nullptr)
        << ", help a window: " << IsWindow(help) << ", visible: " << IsWindowVisible(help);
    EXPECT_LE(GetTickCount() - closed, 2000u);
}

TEST_F(SideWindow, CloseAllEndsTheProcessAndTheHelp) {
    HANDLE process = advtop();
    ASSERT_NE(waitForHelp(process), nullptr);
    module_.askToClose(true);
    DWORD asked = GetTickCount();
    EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0)
        << "side window open: " << (FindWindowW(nullptr, kSideWindowTitle) != nullptr);
    EXPECT_LE(GetTickCount() - asked, 2000u);
    Sleep(300);
    EXPECT_EQ(helpWindows(), 0u);
}

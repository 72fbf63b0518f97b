#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <string>
#include <thread>

#include "shell/control_channel_win.h"
#include "shell/control_module_start_win.h"
#include "shell/data_locations_win.h"
#include "app/startup_win.h"
#include "support/suite.h"

namespace {

std::wstring specialFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

bool isFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

const wchar_t kAdminRequired[] = L"Для выполнения операции требуются права администратора";

}  // namespace

TEST(DataLocations, AnyRoleCreatesTheSharedAndPerUserFolders) {
    std::wstring common = specialFolder(CSIDL_COMMON_APPDATA) + L"\\Brenmoor";
    std::wstring user = specialFolder(CSIDL_APPDATA) + L"\\Brenmoor";
    ASSERT_TRUE(suite::removeTree(common));
    ASSERT_TRUE(suite::removeTree(user));

    EXPECT_EQ(suite::run(suite::qzPath(), L""), 0u);

    EXPECT_TRUE(isFolder(common + L"\\qz-tolder"));
    EXPECT_TRUE(isFolder(user + L"\\qz-tolder\\Temp"));
}

TEST(DataLocations, PathsNameTheSuiteFilesInTheirFolders) {
    DataLocations wide(ApiFamily::Wide);
    std::wstring common = specialFolder(CSIDL_COMMON_APPDATA) + L"\\Brenmoor\\qz-tolder\\";
    std::wstring user = specialFolder(CSIDL_APPDATA) + L"\\Brenmoor\\qz-tolder\\";
    EXPECT_EQ(wide.commonFolder(), common);
    EXPECT_EQ(wide.userFolder(), user);
    EXPECT_EQ(wide.controlModulePath(), common + L"services.exe");
    EXPECT_EQ(wide.passwordPath(), common + L"nessel20p.cfg");
    EXPECT_EQ(wide.settingsPath(), common + L"nessel20.cfg");
    EXPECT_EQ(wide.handOverPath(), user + L"psw");
    EXPECT_EQ(wide.statePath(), user + L"nessel20i.cfg");
    EXPECT_EQ(wide.tempFolder(), user + L"Temp\\");

    DataLocations narrow(ApiFamily::Ansi);
    EXPECT_EQ(std::wstring(narrow.statePath()), wide.statePath());
    EXPECT_EQ(std::wstring(narrow.passwordPath()), wide.passwordPath());
    EXPECT_EQ(std::wstring(narrow.tempFolder()), wide.tempFolder());
}

// The control module gets the user's ordinary rights: where the desktop's
// shell has fewer rights than the starting process, the shell is asked to
// start it; otherwise it is started directly, and so it is when the shell
// cannot be asked, but only where the shell runs as the starter's user. The
// seam stands in for the halves of User Account Control that Wine lacks
// (every Wine process is elevated, there is no shell window, one user).
std::wstring gShellAsked;
bool gShellAnswers = false;

bool recordShellStart(const wchar_t* file, const wchar_t* parameters, const wchar_t* directory) {
    gShellAsked = std::wstring(file) + L" " + parameters + L" " + directory;
    return gShellAnswers;
}

TEST(Startup, TheControlModuleIsStartedThroughTheShellAndNeverAsAnotherUser) {
    const DataLocations& paths = dataLocations();
    const std::wstring log = std::wstring(paths.controlModulePath()) + L".log";
    ASSERT_TRUE(suite::useRecorderAsModule());
    wchar_t directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    struct Case {
        bool shellHasFewerRights, shellAnswers, shellIsThisUser;
        bool shellAsked, startedDirectly;
        int result;
    };
    for (const Case& run : {Case{false, true, false, false, true, 0}, Case{true, true, false, true, false, 0},
                            Case{true, false, true, true, true, 0}, Case{true, false, false, true, false, 2}}) {
        SCOPED_TRACE(std::to_string(run.shellHasFewerRights) + std::to_string(run.shellAnswers) +
                     std::to_string(run.shellIsThisUser));
        DeleteFileW(log.c_str());
        gShellAsked.clear();
        gShellAnswers = run.shellAnswers;
        auto yes = +[] { return true; }, no = +[] { return false; };
        ControlModuleStarter starter{run.shellHasFewerRights ? yes : no, run.shellIsThisUser ? yes : no,
                                     &recordShellStart};
        EXPECT_EQ(startControlModule(starter), run.result);
        EXPECT_EQ(gShellAsked,
                  run.shellAsked ? std::wstring(paths.controlModulePath()) + L" /control " + directory : L"");
        std::wstring recorded;
        suite::waitUntil(2000, [&] { return !(recorded = suite::readLog(log)).empty(); });
        EXPECT_EQ(recorded.find(L"/control") != std::wstring::npos, run.startedDirectly) << recorded;
    }

    // A sender that finds no module starts one once and then waits for its
    // window; a module that never shows one is not started again.
    DeleteFileW(log.c_str());
    EXPECT_EQ(locateControlWindow(true), nullptr);
    const std::wstring recorded = suite::readLog(log);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), L'\n'), 3) << recorded;
    DeleteFileW(paths.controlModulePath());
    DeleteFileW(log.c_str());
}

// Without administrator rights the elevated copy runs no role at all, and the
// settings and uninstall roles of the ordinary copy stop at message 115 too:
// an unelevated administrator gets FALSE from the system's test. For an
// administrator the elevated copy runs its role.
TEST(Startup, RolesForAdministratorsRunOnlyForAnAdministrator) {
    struct Case {
        const char* commandLine;
        bool elevatedCopy, admin;
    };
    for (const Case& run : {Case{"qza.exe /message:never", true, false}, Case{"qz.exe /pallo", false, false},
                            Case{"qz.exe /nessel", false, false}, Case{"qz.exe /exercise", false, false},
                            Case{"qz.exe /tolder", false, false}, Case{"qz.exe /uninstall", false, false},
                            Case{"qza.exe /message:granted", true, true}}) {
        SCOPED_TRACE(run.commandLine);
        auto yes = +[] { return true; }, no = +[] { return false; };
        StartupChecks checks{run.elevatedCopy ? yes : no, run.admin ? yes : no};
        std::thread startup([&] { runStartup(run.commandLine, checks); });
        HWND box = suite::waitForWindow(run.admin ? L"Info" : suite::infoCaption(), 10000, L"#32770");
        EXPECT_NE(box, nullptr);
        if (box) {
            EXPECT_EQ(suite::messageBoxText(box), run.admin ? L"granted" : kAdminRequired);
        }
        // Whatever opened is cancelled, so that the role cannot block the test.
        for (HWND window; (window = FindWindowW(L"#32770", nullptr)) != nullptr; Sleep(100)) {
            EXPECT_EQ(window, box) << "a window of the role opened";
            PostMessageW(window, WM_COMMAND, window == box ? IDOK : IDCANCEL, 0);
        }
        startup.join();
    }
}

TEST(Startup, OnlyTheFileNameQzaMakesTheElevatedCopy) {
    EXPECT_FALSE(isElevatedCopy());  // the test runner is wine_tests.exe
}

// Both programs tell Windows (8.1 to 11) that they draw at the system's DPI
// themselves, so that Windows does not stretch their windows into a blur; the
// setting is read back through the system's own activation context. (Wine 8
// treats every program as DPI-aware: this is all it can show.)
TEST(Startup, BothProgramsAreSystemDpiAware) {
    using QuerySettingsFn = BOOL(WINAPI*)(DWORD, HANDLE, const wchar_t*, const wchar_t*, wchar_t*, SIZE_T, SIZE_T*);
    auto querySettings =
        reinterpret_cast<QuerySettingsFn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW"));
    ASSERT_NE(querySettings, nullptr);
    for (const wchar_t* program : {L"qz.exe", L"qza.exe"}) {
        SCOPED_TRACE(program);
        const std::wstring path = suite::binDir() + L"\\" + program;
        ACTCTXW context{};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = path.c_str();
        context.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE activation = CreateActCtxW(&context);
        ASSERT_NE(activation, INVALID_HANDLE_VALUE);
        wchar_t value[32] = L"";
        SIZE_T written = 0;
        EXPECT_TRUE(querySettings(0, activation, nullptr, L"dpiAware", value, 32, &written));
        EXPECT_STREQ(value, L"true");
        ReleaseActCtx(activation);
    }
}

// The run of the layout tests at 144 and 192 DPI (./dev test) sets PALLO_DPI
// with Wine's LogPixels: that is the DPI every window of the run gets.
TEST(Startup, RunsAtTheDpiOfTheSystem) {
    const char* dpi = std::getenv("PALLO_DPI");
    if (!dpi) GTEST_SKIP() << "no DPI given";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), std::atoi(dpi));
    ReleaseDC(nullptr, screen);
}

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "control/state_record.h"
#include "scene/side_window_win.h"
#include "settings/password.h"
#include "settings/password_prompt_win.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/fake_control_module.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

bool exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

void writeSettings(bool requireAdmin) {
    Settings settings;
    settings.requireAdmin = requireAdmin;
    std::vector<uint8_t> image;
    settings.save(image);
    suite::writeBytes(dataLocations().settingsPath(), std::string(image.begin(), image.end()));
}

LRESULT send(UINT code, LPARAM flag = 0) {
    HWND window = FindWindowW(nullptr, suite::kControlWindowTitle);
    return window ? SendMessageW(window, kControlMessage, code, flag) : -1;
}

class ControlChannel : public ::testing::Test {
protected:
    void SetUp() override {
        suite::stopControlModules();
        suite::removeSuiteFiles();
        suite::installControlModule();
    }
    void TearDown() override { suite::stopControlModules(); }

    HWND startModule() {
        HANDLE process = suite::start(dataLocations().controlModulePath(), L"/control");
        if (process) CloseHandle(process);
        return suite::waitForWindow(suite::kControlWindowTitle, 10000);
    }
};

// A window with the control module's title that cannot prove itself: it
// answers the window test with a wrong value of the kind given.
enum class WrongAnswer { Constant, Zero, Echo, ProofOfAnother };

class Impostor {
public:
    explicit Impostor(WrongAnswer answer = WrongAnswer::Constant) {
        answer_ = answer;
        commandsOtherThanTheTest = 0;
        thread_ = std::thread([this] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &Impostor::procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"PalloImpostor";
            RegisterClassW(&windowClass);
            window_ = CreateWindowW(L"PalloImpostor", suite::kControlWindowTitle, WS_POPUP, 0, 0, 1, 1, nullptr,
                                    nullptr, nullptr, nullptr);
            threadId_ = GetCurrentThreadId();
            ready_ = true;
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        });
        while (!ready_) Sleep(5);
    }
    ~Impostor() {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        else PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }
    static std::atomic<int> commandsOtherThanTheTest;

private:
    static LRESULT wrongAnswer(uint32_t challenge) {
        switch (answer_) {
        case WrongAnswer::Zero: return 0;
        case WrongAnswer::Echo: return static_cast<LRESULT>(challenge);
        case WrongAnswer::ProofOfAnother: return static_cast<LRESULT>(proof(challenge + 1));
        default: return 12345;
        }
    }
    static WrongAnswer answer_;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kControlMessage) {
            if (wParam == kCommandTestQuery) return wrongAnswer(static_cast<uint32_t>(lParam));
            ++commandsOtherThanTheTest;
            return 0;
        }
        if (message == WM_CLOSE) {
            DestroyWindow(window);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<bool> ready_{false};
};
std::atomic<int> Impostor::commandsOtherThanTheTest{0};
WrongAnswer Impostor::answer_ = WrongAnswer::Constant;

}  // namespace

TEST_F(ControlChannel, EnableStartsTheInstalledModuleAndASecondModuleEndsAtOnce) {
    EXPECT_EQ(suite::run(suite::qzPath(), L"/enable"), 0u);
    HWND window = FindWindowW(nullptr, suite::kControlWindowTitle);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(send(kCommandGetMode), 1);

    DWORD started = GetTickCount();
    EXPECT_EQ(suite::run(dataLocations().controlModulePath(), L"/control", 10000), 0u);
    EXPECT_LT(GetTickCount() - started, 5000u);
    EXPECT_EQ(FindWindowW(nullptr, suite::kControlWindowTitle), window);
    EXPECT_EQ(FindWindowExW(nullptr, window, nullptr, suite::kControlWindowTitle), nullptr);
}

TEST_F(ControlChannel, CloseWithoutAModuleReachesNothingAndStartsNothing) {
    EXPECT_EQ(sendControlCommand(kCommandClose, 0, nullptr), -1);
    Sleep(1000);
    EXPECT_EQ(FindWindowW(nullptr, suite::kControlWindowTitle), nullptr);
}

TEST_F(ControlChannel, AWindowThatFailsTheTestNeverReceivesAPassword) {
    ASSERT_TRUE(storePassword(u"secret"));
    for (WrongAnswer answer : {WrongAnswer::Constant, WrongAnswer::Zero, WrongAnswer::Echo, WrongAnswer::ProofOfAnother}) {
        SCOPED_TRACE(static_cast<int>(answer));
        Impostor impostor(answer);
        EXPECT_EQ(findSuiteWindow(suite::kControlWindowTitle), nullptr);
        ASSERT_NE(startModule(), nullptr);
        HWND module = nullptr;
        for (int i = 0; i < 200 && !module; ++i, Sleep(25)) module = findSuiteWindow(suite::kControlWindowTitle);
        ASSERT_NE(module, nullptr);
        EXPECT_NE(module, impostor.window());
        EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"secret"), 0);
        proveAdministrator(module);
        EXPECT_EQ(sendControlCommand(kCommandClose, 1, L"secret"), 0);
        for (int i = 0; i < 200 && module; ++i, Sleep(25)) module = findSuiteWindow(suite::kControlWindowTitle);
        EXPECT_EQ(module, nullptr) << "the module did not close";
        EXPECT_EQ(Impostor::commandsOtherThanTheTest.load(), 0);
        EXPECT_FALSE(exists(dataLocations().handOverPath()));
    }
}

TEST_F(ControlChannel, ParentsModeNeedsTheRightPasswordAndTheProofWhenRequired) {
    writeSettings(true);
    ASSERT_TRUE(storePassword(u"Secret"));
    ASSERT_NE(startModule(), nullptr);

    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"Secret"), 0);
    EXPECT_EQ(queryMode(), 1) << "no administrator proof yet";
    EXPECT_FALSE(exists(dataLocations().handOverPath()));

    proveAdministrator(FindWindowW(nullptr, suite::kControlWindowTitle));
    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"secret"), 0);
    EXPECT_EQ(queryMode(), 1) << "case matters";
    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"Secret"), 0);
    EXPECT_EQ(queryMode(), 0);
    EXPECT_FALSE(exists(dataLocations().handOverPath()));

    requestChildMode();
    EXPECT_EQ(queryMode(), 1);
}

// In a child's session, a settings dialog or qza.exe may run as the
// administrator whose name was typed into the elevation prompt, while the
// module runs as the child and reads the child's hand-over file. Wine has one
// user: the seam stands in for the lookup of the module's user's folder, and
// a folder of the test's for that user's profile.
namespace {
std::wstring gModuleUserFolder;
}

TEST_F(ControlChannel, APasswordGoesToTheHandOverFileOfTheModulesUser) {
    gModuleUserFolder = std::wstring(dataLocations().tempFolder()) + L"module-user";
    for (const wchar_t* folder : {L"", L"\\Brenmoor", L"\\Brenmoor\\qz-tolder"})
        CreateDirectoryW((gModuleUserFolder + folder).c_str(), nullptr);
    const std::wstring moduleUsersFile = gModuleUserFolder + L"\\Brenmoor\\qz-tolder\\psw";
    const auto systemLookup = controlWindowUserFolder;
    struct Case {
        bool (*lookup)(HWND, wchar_t (&)[MAX_PATH]);
        std::wstring readBy;
    };
    const Case cases[] = {
        {[](HWND, wchar_t (&folder)[MAX_PATH]) { return wcscpy(folder, gModuleUserFolder.c_str()) != nullptr; },
         moduleUsersFile},
        {[](HWND, wchar_t (&)[MAX_PATH]) { return false; }, dataLocations().handOverPath()},
        {systemLookup, dataLocations().handOverPath()},
    };
    for (const Case& run : cases) {
        SCOPED_TRACE(run.readBy);
        controlWindowUserFolder = run.lookup;
        suite::FakeControlModule module;
        module.readHandOverFrom(run.readBy);
        EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"secret"), 0);
        ASSERT_EQ(module.commands().size(), 1u);
        EXPECT_EQ(module.commands()[0].password, u"secret");
        EXPECT_FALSE(exists(moduleUsersFile.c_str()));
        EXPECT_FALSE(exists(dataLocations().handOverPath()));
    }
    controlWindowUserFolder = systemLookup;
    wchar_t ownFolder[MAX_PATH] = L"", looked[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, ownFolder, CSIDL_APPDATA, FALSE);
    HWND window = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(appDataFolderOfWindowUser(window, looked));
    EXPECT_STREQ(looked, ownFolder);
    DestroyWindow(window);
    suite::removeTree(gModuleUserFolder);
}

// An elevated process gets no message from processes of lower integrity
// unless it lets it in; a scene looks for an elevated password prompt, and a
// second help start for an elevated side window, with the window test. Wine
// has neither elevation nor message filtering: the seam stands in for both,
// and shows which windows ask, each once it has its title.
namespace {
std::vector<std::wstring> gLetIn;
}

TEST_F(ControlChannel, EveryWindowThatAnswersTheWindowTestLetsTheControlMessageIn) {
    const auto system = letControlMessageIn;
    letControlMessageIn = [](HWND window) {
        wchar_t title[64] = L"";
        GetWindowTextW(window, title, 64);
        gLetIn.push_back(title);
    };
    suite::ModuleThread module;
    EXPECT_NE(module.start({}), nullptr);
    module.stop();
    ASSERT_TRUE(storePassword(u"pw"));
    std::thread cancel([] {
        if (HWND prompt = suite::waitForWindow(L"Tolder", 10000, L"#32770")) PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
    });
    std::u16string password;
    EXPECT_FALSE(askPassword(password));
    cancel.join();
    showSideWindow();  // without a help file it ends at its first tick
    letControlMessageIn = system;
    EXPECT_EQ(gLetIn, (std::vector<std::wstring>{suite::kControlWindowTitle, L"Tolder", L"qz-tolder-AdvWnd"}));
}

TEST_F(ControlChannel, WithoutTheAdministratorRequirementThePasswordAloneSwitches) {
    writeSettings(false);
    ASSERT_TRUE(storePassword(u"pw"));
    ASSERT_NE(startModule(), nullptr);
    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"wrong"), 0);
    EXPECT_EQ(queryMode(), 1);
    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"pw"), 0);
    EXPECT_EQ(queryMode(), 0);
}

TEST_F(ControlChannel, CloseAllIsHeldUntilTheModuleEnds) {
    ASSERT_NE(startModule(), nullptr);
    EXPECT_EQ(send(kCommandTestCloseWindow), 0);
    EXPECT_EQ(sendControlCommand(kCommandCloseAllWindows, 1, L""), 0);
    EXPECT_EQ(send(kCommandTestCloseWindow), 0) << "no administrator proof";
    proveAdministrator(FindWindowW(nullptr, suite::kControlWindowTitle));
    EXPECT_EQ(sendControlCommand(kCommandCloseAllWindows, 1, L""), 0);
    EXPECT_EQ(send(kCommandTestCloseWindow), 1);
    EXPECT_EQ(send(kCommandTikkoWork), 1);
}

TEST_F(ControlChannel, AProofCountsOnlyForTheLastChallenge) {
    ASSERT_NE(startModule(), nullptr);
    HWND window = FindWindowW(nullptr, suite::kControlWindowTitle);
    auto first = static_cast<uint32_t>(SendMessageW(window, kControlMessage, kCommandAskQuery, 0));
    auto second = static_cast<uint32_t>(SendMessageW(window, kControlMessage, kCommandAskQuery, 0));
    EXPECT_GE(first, 128u);
    EXPECT_GE(second, 128u);
    SendMessageW(window, kControlMessage, kCommandInformAdmin, static_cast<LPARAM>(proof(first)));
    sendControlCommand(kCommandCloseAllWindows, 1, L"");
    EXPECT_EQ(send(kCommandTestCloseWindow), 0);
}

TEST_F(ControlChannel, CloseCommandEndsTheModuleWithItsStateWritten) {
    ASSERT_NE(startModule(), nullptr);
    FILETIME before;
    GetSystemTimeAsFileTime(&before);
    EXPECT_EQ(suite::run(suite::qzPath(), L"/close"), 0u);
    EXPECT_TRUE(suite::waitForNoWindow(suite::kControlWindowTitle, 5000));

    std::string bytes = suite::readBytes(dataLocations().statePath());
    ASSERT_EQ(bytes.size(), kStateRecordSize);
    StateRecord record;
    decodeStateRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record);
    uint64_t beforeUtc = (static_cast<uint64_t>(before.dwHighDateTime) << 32) | before.dwLowDateTime;
    EXPECT_GT(record.lastActive, beforeUtc - 600'000'000ull);
}

// Five modules started at once: one runs, the others end at once without
// touching the state, which survives whole.
TEST_F(ControlChannel, StateSurvivesARestartOfTheModuleStartedFiveTimesAtOnce) {
    ASSERT_NE(startModule(), nullptr);
    suite::stopControlModules();
    std::string first = suite::readBytes(dataLocations().statePath());
    ASSERT_EQ(first.size(), kStateRecordSize);
    StateRecord stored;
    decodeStateRecord(reinterpret_cast<const uint8_t*>(first.data()), first.size(), stored);
    stored.hopsaMinutes = 7;
    stored.nesselMinutes = 20;
    StateImage image = encodeStateRecord(stored);
    suite::writeBytes(dataLocations().statePath(), std::string(image.begin(), image.end()));

    std::vector<HANDLE> modules;
    for (int i = 0; i < 5; ++i) modules.push_back(suite::start(dataLocations().controlModulePath(), L"/control"));
    ASSERT_NE(suite::waitForWindow(suite::kControlWindowTitle, 10000), nullptr);
    size_t ended = 0;
    for (DWORD started = GetTickCount(); ended < 4 && GetTickCount() - started < 10000; Sleep(50))
        ended = std::count_if(modules.begin(), modules.end(),
                              [](HANDLE module) { return WaitForSingleObject(module, 0) == WAIT_OBJECT_0; });
    EXPECT_EQ(ended, 4u);
    size_t windows = 0;
    for (HWND w = FindWindowW(nullptr, suite::kControlWindowTitle); w;
         w = FindWindowExW(nullptr, w, nullptr, suite::kControlWindowTitle))
        ++windows;
    EXPECT_EQ(windows, 1u);
    EXPECT_EQ(queryMode(), 1);

    suite::stopControlModules();
    for (HANDLE module : modules) CloseHandle(module);
    StateRecord restored;
    std::string second = suite::readBytes(dataLocations().statePath());
    ASSERT_EQ(second.size(), kStateRecordSize);
    decodeStateRecord(reinterpret_cast<const uint8_t*>(second.data()), second.size(), restored);
    EXPECT_EQ(restored.nesselMinutes, 20);
    EXPECT_EQ(restored.hopsaMinutes, 7);
}

TEST_F(ControlChannel, UninstallClosesTheModuleWaitsForItsFileAndStartsTheUninstaller) {
    std::wstring program = std::wstring(dataLocations().tempFolder()) + L"uninstall-program";
    CreateDirectoryW(program.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(suite::qzPath().c_str(), (program + L"\\qz.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((suite::binDir() + L"\\recorder.exe").c_str(), (program + L"\\uinst.exe").c_str(), FALSE));
    std::wstring log = program + L"\\uinst.exe.log";
    DeleteFileW(log.c_str());
    ASSERT_NE(startModule(), nullptr);

    EXPECT_EQ(suite::run(program + L"\\qz.exe", L"/uninstall", 30000), 0u);
    EXPECT_EQ(FindWindowW(nullptr, suite::kControlWindowTitle), nullptr);
    std::string recorded;
    for (int i = 0; i < 100 && recorded.empty(); ++i, Sleep(50)) recorded = suite::readBytes(log);
    EXPECT_FALSE(recorded.empty()) << "uinst.exe did not start";
    EXPECT_TRUE(exists(dataLocations().controlModulePath())) << "the module's file is put back";
}

TEST_F(ControlChannel, DisableWinsOverEnableOnOneCommandLine) {
    writeSettings(false);
    ASSERT_NE(startModule(), nullptr);
    EXPECT_EQ(suite::run(suite::qzPath(), L"/disable /enable"), 0u);
    EXPECT_EQ(queryMode(), 0);
    EXPECT_EQ(suite::run(suite::qzPath(), L"/enable"), 0u);
    EXPECT_EQ(queryMode(), 1);
}

// A 32-bit and a 64-bit qz.exe on one computer, each as the module and each
// as the sender: the window test, the administrator proof, the password and
// values with the top bit set cross between the widths.
TEST_F(ControlChannel, ProgramsOfBothWidthsUnderstandEachOther) {
    std::string reason;
    const std::wstring other = suite::otherWidthQzPath(reason);
    if (other.empty()) GTEST_SKIP() << reason;
    writeSettings(true);
    ASSERT_TRUE(storePassword(u""));
    for (bool otherIsModule : {true, false}) {
        SCOPED_TRACE(otherIsModule ? "the other width's module" : "this width's module");
        const std::wstring& module = otherIsModule ? other : suite::qzPath();
        const std::wstring& sender = otherIsModule ? suite::qzPath() : other;
        HANDLE process = suite::start(module, L"/control");
        ASSERT_NE(process, nullptr);
        CloseHandle(process);
        HWND window = suite::waitForWindow(suite::kControlWindowTitle, 10000);
        ASSERT_NE(window, nullptr);

        EXPECT_EQ(suite::run(sender, L"/disable"), 0u);
        EXPECT_EQ(queryMode(), 0) << "the sender passed the window test and proved its rights";
        EXPECT_EQ(suite::run(sender, L"/enable"), 0u);
        EXPECT_EQ(queryMode(), 1);
        for (std::uint32_t value : {0xFFFFFFFFu, 0x80000001u, windowToCommandValue(window)}) {
            sendControlCommand(kCommandSetOptionsWindow, value, nullptr);
            EXPECT_EQ(sendControlCommand(kCommandGetOptionsWindow, 0, nullptr), static_cast<std::int32_t>(value));
        }
        EXPECT_EQ(windowFromCommandValue(sendControlCommand(kCommandGetOptionsWindow, 0, nullptr)), window);
        suite::stopControlModules();
    }
}

// The control channel between processes: the window test, the hand-over
// file and the administrator's proof as they cross to a running module. What
// the module decides on a command is tested natively (ControlCommands).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "scene/side_window_win.h"
#include "resources/resource_ids.h"
#include "settings/password.h"
#include "settings/password_prompt_win.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "control/control_module_win.h"
#include "shell/control_channel_win.h"
#include "shell/data_locations_win.h"
#include "support/fake_control_module.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

Settings requiringAdmin(bool required) {
    Settings settings;
    settings.requireAdmin = required;
    return settings;
}

int moduleWindowCount() {
    int count = 0;
    for (HWND window = FindWindowW(nullptr, kControlWindowTitle); window;
         window = FindWindowExW(nullptr, window, nullptr, kControlWindowTitle))
        count += passesWindowTest(window) ? 1 : 0;
    return count;
}

class ControlChannel : public ::testing::Test {
protected:
    void SetUp() override { suite::installControlModule(); }
    void TearDown() override { suite::stopControlModules(); }
};

}  // namespace

TEST_F(ControlChannel, EnableStartsTheInstalledModuleAndASecondModuleEndsAtOnce) {
    // A close without a module reaches nothing and starts nothing.
    EXPECT_EQ(sendControlCommand(kCommandClose, 0, nullptr), -1);
    Sleep(1000);
    EXPECT_EQ(FindWindowW(nullptr, kControlWindowTitle), nullptr);
    EXPECT_EQ(suite::run(suite::qzPath(), L"/enable"), 0u);
    HWND window = FindWindowW(nullptr, kControlWindowTitle);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(queryMode(), 1);

    DWORD started = GetTickCount();
    EXPECT_EQ(suite::run(dataLocations().controlModulePath(), L"/control", 10000), 0u);
    EXPECT_LT(GetTickCount() - started, 5000u);
    EXPECT_EQ(FindWindowW(nullptr, kControlWindowTitle), window);
    EXPECT_EQ(FindWindowExW(nullptr, window, nullptr, kControlWindowTitle), nullptr);

    // Started at the same moment, two modules both miss each other's window:
    // the one that finds the mutex's name taken waits for the other's window.
    suite::stopControlModules();
    HANDLE both[] = {suite::start(dataLocations().controlModulePath(), L"/control"),
                     suite::start(dataLocations().controlModulePath(), L"/control")};
    EXPECT_LT(WaitForMultipleObjects(2, both, FALSE, 15000) - WAIT_OBJECT_0, 2u) << "neither module ended";
    EXPECT_EQ(moduleWindowCount(), 1);
    for (HANDLE process : both) CloseHandle(process);
}

// Any process of the session can take the mutex's name first. A module that
// finds no module's window answering within its wait runs all the same; and
// when modules that found the name taken run at once, all but one give way at
// their first minute.
TEST_F(ControlChannel, AProcessHoldingTheModulesMutexKeepsNoModuleOut) {
    HANDLE squatter = CreateMutexW(nullptr, FALSE, kOneModuleMutex);
    const DWORD started = GetTickCount();
    EXPECT_NE(suite::startControlModule(), nullptr);
    EXPECT_GE(GetTickCount() - started, 9000u) << "the module did not wait for the name's holder";
    suite::stopControlModules();

    ControlModuleOptions options;
    options.minuteMs = 300;
    options.nameHolderWaitMs = 0;
    options.shutdown = [](bool) {};
    std::thread first([&] { runControlModule(options); }), second([&] { runControlModule(options); });
    EXPECT_TRUE(suite::waitUntil(5000, [] { return moduleWindowCount() == 1; }));
    Sleep(1000);
    EXPECT_EQ(moduleWindowCount(), 1);
    CloseHandle(squatter);
    suite::stopControlModules();
    first.join();
    second.join();
}

TEST_F(ControlChannel, AWindowThatFailsTheTestNeverReceivesAPassword) {
    ASSERT_TRUE(storePassword(u"secret"));
    for (suite::TestAnswer answer : {suite::TestAnswer::Constant, suite::TestAnswer::Zero, suite::TestAnswer::Echo,
                                     suite::TestAnswer::ProofOfAnother}) {
        SCOPED_TRACE(static_cast<int>(answer));
        suite::FakeControlModule impostor(answer);
        EXPECT_EQ(findSuiteWindow(kControlWindowTitle), nullptr);
        HWND module = suite::startControlModule();
        ASSERT_NE(module, nullptr);
        EXPECT_NE(module, impostor.window());
        EXPECT_EQ(sendControlCommand(kCommandParents, 1, L"secret"), 0);
        proveAdministrator(module);
        EXPECT_EQ(sendControlCommand(kCommandClose, 1, L"secret"), 0);
        EXPECT_TRUE(suite::waitUntil(5000, [] { return !findSuiteWindow(kControlWindowTitle); }))
            << "the module did not close";
        EXPECT_TRUE(impostor.codes().empty());
        EXPECT_FALSE(suite::exists(dataLocations().handOverPath()));
    }
}

// In a child's session, a settings dialog or qza.exe may run as the
// administrator whose name was typed into the elevation prompt, while the
// module runs as the child and reads the child's hand-over file. Wine has one
// user: the seam stands in for the lookup of the module's user (their folder;
// no token, so the sender acts as itself), and a folder of the test's for
// that user's profile. The system's own lookup runs last, with a real token.
namespace {
std::wstring gModuleUserFolder;

bool moduleUserOfTheTest(HWND, WindowUser& user) {
    wchar_t path[MAX_PATH];
    if (!DataLocations::handOverPathUnder(gModuleUserFolder.c_str(), path)) return false;
    user.set(path, nullptr);
    return true;
}

void makeSuiteFolders(const std::wstring& appData) {
    for (const wchar_t* folder : {L"", L"\\Brenmoor", L"\\Brenmoor\\qz-tolder"})
        CreateDirectoryW((appData + folder).c_str(), nullptr);
}
}  // namespace

TEST_F(ControlChannel, APasswordGoesToTheHandOverFileOfTheModulesUserOrNowhere) {
    const std::wstring testFolder = std::wstring(dataLocations().tempFolder()) + L"module-user";
    const std::wstring moduleUsersFile = testFolder + L"\\Brenmoor\\qz-tolder\\psw";
    makeSuiteFolders(testFolder);
    // A folder on the way that is a link (here a symbolic link of the host,
    // which Wine shows as a reparse point) is refused, though its target
    // could be written.
    makeSuiteFolders(PALLO_LINKED_DIR);
    const std::wstring linkedFile = std::wstring(PALLO_LINKED_DIR) + L"\\Brenmoor\\qz-tolder\\psw";
    DeleteFileW(linkedFile.c_str());  // a failed run may have left it
    const auto systemLookup = controlWindowUser;
    struct Case {
        bool (*lookup)(HWND, WindowUser&);
        std::wstring folder, readBy;
    };
    const Case cases[] = {
        {&moduleUserOfTheTest, testFolder, moduleUsersFile},    {[](HWND, WindowUser&) { return false; }, L"", L""},
        {&moduleUserOfTheTest, testFolder + L"\\missing", L""}, {&moduleUserOfTheTest, PALLO_LINK_DIR, L""},
        {systemLookup, L"", dataLocations().handOverPath()},
    };
    for (const Case& run : cases) {
        SCOPED_TRACE(run.folder + L" " + run.readBy);
        controlWindowUser = run.lookup;
        gModuleUserFolder = run.folder;
        suite::FakeControlModule module;
        if (!run.readBy.empty()) module.readHandOverFrom(run.readBy);
        const int32_t sent = sendControlCommand(kCommandParents, 1, L"secret");
        if (run.readBy.empty()) {
            EXPECT_EQ(sent, kHandOverFailed);
            EXPECT_TRUE(module.commands().empty());
        } else {
            EXPECT_EQ(sent, 0);
            ASSERT_EQ(module.commands().size(), 1u);
            EXPECT_EQ(module.commands()[0].password, u"secret");
        }
        for (const std::wstring& file : {moduleUsersFile, std::wstring(dataLocations().handOverPath()), linkedFile})
            EXPECT_FALSE(suite::exists(file.c_str())) << file;
    }
    controlWindowUser = systemLookup;
    suite::removeTree(testFolder);
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
    letControlMessageIn = [](HWND window) { gLetIn.push_back(suite::windowTitle(window)); };
    suite::ModuleThread module;
    EXPECT_NE(module.start({}), nullptr);
    module.stop();
    ASSERT_TRUE(storePassword(u"pw"));
    std::thread cancel([] {
        if (HWND prompt = suite::waitForWindow(L"Tolder", 10000, L"#32770"))
            PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
    });
    std::u16string password;
    EXPECT_FALSE(askPassword(password));
    cancel.join();
    showSideWindow();  // without a help file it ends at its first tick
    letControlMessageIn = system;
    EXPECT_EQ(gLetIn, (std::vector<std::wstring>{kControlWindowTitle, L"Tolder", L"qz-tolder-AdvWnd"}));
}

TEST_F(ControlChannel, UninstallClosesTheModuleWaitsForItsFileAndStartsTheUninstaller) {
    std::wstring program = suite::makeProgramFolder(L"uninstall-program");
    ASSERT_FALSE(program.empty());
    ASSERT_TRUE(CopyFileW((suite::binDir() + L"\\recorder.exe").c_str(), (program + L"\\uinst.exe").c_str(), FALSE));
    std::wstring log = program + L"\\uinst.exe.log";
    DeleteFileW(log.c_str());
    ASSERT_NE(suite::startControlModule(), nullptr);

    EXPECT_EQ(suite::run(program + L"\\qz.exe", L"/uninstall", 30000), 0u);
    EXPECT_EQ(FindWindowW(nullptr, kControlWindowTitle), nullptr);
    EXPECT_TRUE(suite::waitUntil(5000, [&] { return !suite::readBytes(log).empty(); })) << "uinst.exe did not start";
    EXPECT_TRUE(suite::exists(dataLocations().controlModulePath())) << "the module's file is put back";

    // A module file that stays in use (a stand-in that ignores the close)
    // keeps the uninstaller from starting: the sender reports it instead.
    ASSERT_TRUE(DeleteFileW(log.c_str()));
    ASSERT_TRUE(suite::useRecorderAsModule());
    HANDLE holder = suite::start(dataLocations().controlModulePath(), L"/stay");
    HANDLE sender = suite::start(program + L"\\qz.exe", L"/uninstall");
    EXPECT_EQ(WaitForSingleObject(sender, 4000), WAIT_TIMEOUT) << "the sender did not wait and report";
    EXPECT_TRUE(suite::readBytes(log).empty()) << "uinst.exe started while the module's file was in use";
    for (HANDLE process : {sender, holder}) suite::killProcess(process);
}

// Where the settings require it, the sender proves the administrator's rights.
TEST_F(ControlChannel, DisableStartsTheModuleWaitsForItAndWinsOverEnable) {
    ASSERT_TRUE(suite::writeSettings(requiringAdmin(true)));
    EXPECT_EQ(suite::run(suite::qzPath(), L"/disable /enable"), 0u);
    EXPECT_EQ(queryMode(), 0);
    EXPECT_EQ(suite::run(suite::qzPath(), L"/enable"), 0u);
    EXPECT_EQ(queryMode(), 1);
}

// One sender at a time asks for the password: a second one gives up at once.
// A password that cannot be written for the module (here a folder stands
// where its file goes) is reported, and the command is not sent.
TEST_F(ControlChannel, ASenderReportsAFailedHandOverAndSendsNothingAndGivesUpWhileAnotherPrompts) {
    ASSERT_TRUE(suite::writeSettings(requiringAdmin(false)));
    ASSERT_TRUE(storePassword(u"pw"));
    ASSERT_NE(suite::startControlModule(), nullptr);
    HANDLE prompting = CreateMutexW(nullptr, TRUE, L"qz-tolder-PasswordMutex");
    EXPECT_EQ(suite::run(suite::qzPath(), L"/disable", 5000), 0u);
    // An uninstall gives up as well, before it would wait for the module to go.
    EXPECT_EQ(suite::run(suite::qzPath(), L"/uninstall", 5000), 0u);
    CloseHandle(prompting);
    EXPECT_EQ(FindWindowW(L"#32770", L"Tolder"), nullptr);
    EXPECT_EQ(queryMode(), 1);

    ASSERT_TRUE(CreateDirectoryW(dataLocations().handOverPath(), nullptr));
    HANDLE sender = suite::start(suite::qzPath(), L"/disable");
    HWND prompt = suite::answerPasswordPrompt(L"pw");
    ASSERT_NE(prompt, nullptr);
    HWND box = nullptr;
    EXPECT_TRUE(suite::waitUntil(10000, [&] {
        box = FindWindowW(L"#32770", suite::infoCaption());
        return box && box != prompt && !suite::messageBoxText(box).empty();
    })) << "no message box";
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForSingleObject(sender, 10000), WAIT_OBJECT_0);
    CloseHandle(sender);
    EXPECT_EQ(queryMode(), 1);
    RemoveDirectoryW(dataLocations().handOverPath());
}

// A 32-bit and a 64-bit qz.exe on one computer, each as the module and each
// as the sender: the window test, the administrator proof, the password and
// values with the top bit set cross between the widths.
TEST_F(ControlChannel, ProgramsOfBothWidthsUnderstandEachOther) {
    std::string reason;
    const std::wstring other = suite::otherWidthQzPath(reason);
    if (other.empty()) GTEST_SKIP() << reason;
    ASSERT_TRUE(suite::writeSettings(requiringAdmin(true)));
    ASSERT_TRUE(storePassword(u""));
    for (bool otherIsModule : {true, false}) {
        SCOPED_TRACE(otherIsModule ? "the other width's module" : "this width's module");
        const std::wstring& module = otherIsModule ? other : suite::qzPath();
        const std::wstring& sender = otherIsModule ? suite::qzPath() : other;
        HWND window = suite::startControlModule(module);
        ASSERT_NE(window, nullptr);

        EXPECT_EQ(suite::run(sender, L"/disable"), 0u);
        EXPECT_EQ(queryMode(), 0) << "the sender passed the window test and proved its rights";
        EXPECT_EQ(suite::run(sender, L"/enable"), 0u);
        EXPECT_EQ(queryMode(), 1);
        for (uint32_t value : {0xFFFFFFFFu, 0x80000001u, windowToCommandValue(window)}) {
            sendControlCommand(kCommandSetOptionsWindow, value, nullptr);
            EXPECT_EQ(sendControlCommand(kCommandGetOptionsWindow, 0, nullptr), static_cast<int32_t>(value));
        }
        EXPECT_EQ(windowFromCommandValue(sendControlCommand(kCommandGetOptionsWindow, 0, nullptr)), window);
        suite::stopControlModules();
    }
}

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "shell/control_channel_win.h"
#include "shell/data_locations_win.h"
#include "shell/guard_channel_win.h"
#include "shell/guard_presence_win.h"
#include "support/suite.h"

namespace {

// Where the 32-bit installer puts the suite: "Program Files", which a 64-bit
// system calls "Program Files (x86)".
std::wstring programFolder() {
    wchar_t folder[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"ProgramFiles(x86)", folder, MAX_PATH))
        GetEnvironmentVariableW(L"ProgramFiles", folder, MAX_PATH);
    return std::wstring(folder) + L"\\Pallo";
}
const std::wstring kProgramFolder = programFolder();
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pallo";

// The installer's keys, in the 32-bit view of the registry that it writes.
std::wstring registryText(const wchar_t* key, const wchar_t* value) {
    HKEY opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_32KEY, &opened) != ERROR_SUCCESS)
        return L"<missing>";
    wchar_t data[512] = L"";
    DWORD size = sizeof data;
    LONG status = RegGetValueW(opened, nullptr, value, RRF_RT_REG_SZ, nullptr, data, &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS ? data : L"<missing>";
}

struct Shortcut {
    std::wstring name, command, folder;  // command: target, a space, arguments
    bool operator<(const Shortcut& other) const { return command < other.command; }
};

// Every shortcut in the suite's Start-menu folder as the shell's own link
// object reads it, sorted by command.
std::vector<Shortcut> startMenuShortcuts() {
    wchar_t programs[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE);
    const std::wstring folder = std::wstring(programs) + L"\\Pallo\\";
    std::vector<Shortcut> shortcuts;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const std::wstring& name : suite::filesIn(folder + L"*.lnk")) {
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        wchar_t target[MAX_PATH] = L"", arguments[MAX_PATH] = L"", workingFolder[MAX_PATH] = L"";
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load((folder + name).c_str(), STGM_READ))) {
            link->GetPath(target, MAX_PATH, nullptr, 0);
            link->GetArguments(arguments, MAX_PATH);
            link->GetWorkingDirectory(workingFolder, MAX_PATH);
        }
        shortcuts.push_back({name, std::wstring(target) + L" " + arguments, workingFolder});
        if (file) file->Release();
        if (link) link->Release();
    }
    CoUninitialize();
    std::sort(shortcuts.begin(), shortcuts.end());
    return shortcuts;
}

// The guard service's state; 0 when it is not installed.
DWORD guardState() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (service) QueryServiceStatus(service, &status), CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return status.dwCurrentState;
}

void install() { ASSERT_EQ(suite::run(suite::binDir() + L"\\..\\pallo-setup.exe", L"/S", 60000), 0u); }

bool goneWithin(const std::wstring& path, DWORD timeoutMs) {
    return suite::waitUntil(timeoutMs, [&] { return !suite::exists(path); });
}

// The uninstaller hands over to a copy of itself and returns at once; the copy
// goes on after the program folder is gone: the data files come last.
bool uninstall(const std::wstring& arguments) {
    suite::run(kProgramFolder + L"\\uinst.exe", arguments, 30000);
    return goneWithin(kProgramFolder, 10000);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        if (sizeof(void*) == 8 && suite::otherWidthQzPath(reason).empty())
            GTEST_SKIP() << "the installer is a 32-bit program: " << reason;
        suite::stopControlModules();
    }
    void TearDown() override { suite::stopControlModules(); }

    const std::wstring common = dataLocations().commonFolder();
    const std::wstring settings = dataLocations().settingsPath();
    const std::wstring password = dataLocations().passwordPath();
};

}  // namespace

TEST_F(Installer, SilentInstallPlacesTheSuiteAndAReinstallKeepsTheParentsFiles) {
    install();
    for (const wchar_t* name : {L"qz.exe", L"qza.exe", L"uinst.exe", L"tikkoplay.dll", L"pallo.vfs", L"pallo.chm"})
        EXPECT_TRUE(suite::exists(kProgramFolder + L"\\" + name)) << name;
    EXPECT_TRUE(suite::exists(dataLocations().controlModulePath()));
    EXPECT_EQ(registryText(kRunKey, L"Pallo"), L"\"" + kProgramFolder + L"\\qz.exe\" /run");
    // What needs administrator rights goes to qza.exe, which asks Windows for them.
    const std::wstring qz = kProgramFolder + L"\\qz.exe ", qza = kProgramFolder + L"\\qza.exe ";
    EXPECT_EQ(registryText(kUninstallKey, L"UninstallString"), L"\"" + kProgramFolder + L"\\qza.exe\" /uninstall");
    const std::vector<Shortcut> shortcuts = startMenuShortcuts();
    std::vector<std::wstring> commands;
    for (const Shortcut& shortcut : shortcuts) commands.push_back(shortcut.command);
    EXPECT_EQ(commands, (std::vector<std::wstring>{qz + L"/disable", qz + L"/enable", qz + L"/show:hopsa-manual",
                                                   qza + L"/calendar", qza + L"/exercise", qza + L"/nessel",
                                                   qza + L"/pallo", qza + L"/tolder", qza + L"/uninstall"}));
    EXPECT_NE(suite::waitForWindow(kControlWindowTitle, 10000), nullptr) << "the module starts at once";
    EXPECT_EQ(guardState(), static_cast<DWORD>(SERVICE_RUNNING)) << "the guard service is not running";

    // An exercise started by hand plays from the program folder, where it finds the archive.
    if (shortcuts.size() > 2) {
        const Shortcut& exercise = shortcuts[2];
        EXPECT_TRUE(exercise.name == L"Зарядка сейчас (Hopsa).lnk" || exercise.name == L"Exercise now (Hopsa).lnk")
            << exercise.name;
        EXPECT_EQ(exercise.folder, kProgramFolder);
    }

    // The test scene plays from the installed folder: its window shows, and
    // it closes when the module asks every window to close.
    // The module the installer started gives way to the guard's, which takes
    // the commands: the scene starts once that one is there, to ask it.
    HWND guardsModule = nullptr;
    for (int look = 0; look < 100 && !guardsModule; ++look, Sleep(100))
        if (const std::optional<GuardAnswer> guard = askGuard(GuardQuestion{GuardAsk::Module, {}}))
            guardsModule = windowOfProcess(guard->moduleProcess, kControlWindowTitle);
    ASSERT_NE(guardsModule, nullptr) << "the guard's module shows no window";
    HANDLE scene = suite::start(kProgramFolder + L"\\qz.exe", L"/show:test");
    EXPECT_NE(suite::waitForWindow(GetACP() == 1251 ? L"Tikko" : L"Computer", 10000, L"#32770"), nullptr);
    proveAdministrator(guardsModule);
    sendControlCommand(kCommandCloseAllWindows, 1, L"");
    EXPECT_EQ(WaitForSingleObject(scene, 5000), WAIT_OBJECT_0);
    CloseHandle(scene);

    suite::writeBytes(settings, std::string("\x05\x00settings-of-the-parents", 25));
    suite::writeBytes(password, std::string(32, '\x7f'));
    suite::stopControlModules();
    install();
    ASSERT_NE(suite::waitForWindow(kControlWindowTitle, 10000), nullptr);
    EXPECT_EQ(suite::readBytes(settings), std::string("\x05\x00settings-of-the-parents", 25));
    EXPECT_EQ(suite::readBytes(password), std::string(32, '\x7f'));

    suite::stopControlModules();
    ASSERT_TRUE(uninstall(L"/S"));
    EXPECT_TRUE(goneWithin(dataLocations().controlModulePath(), 5000));
    EXPECT_EQ(registryText(kRunKey, L"Pallo"), L"<missing>");
    EXPECT_EQ(registryText(kUninstallKey, L"UninstallString"), L"<missing>");
    EXPECT_EQ(guardState(), 0u) << "the guard service is left";
    EXPECT_EQ(suite::readBytes(settings), std::string("\x05\x00settings-of-the-parents", 25));
    EXPECT_EQ(suite::readBytes(password), std::string(32, '\x7f'));
    DeleteFileW(settings.c_str());
    DeleteFileW(password.c_str());
}

TEST_F(Installer, SilentUninstallCanRemoveTheSettingsToo) {
    install();
    suite::writeBytes(settings, "x");
    suite::writeBytes(password, "y");
    const std::wstring ledgers = std::wstring(dataLocations().commonFolder()) + L"\\ledger";
    CreateDirectoryW(ledgers.c_str(), nullptr);
    suite::writeBytes(ledgers + L"\\S-1-5-21-1.dat", "z");
    ASSERT_NE(suite::waitForWindow(kControlWindowTitle, 10000), nullptr);
    suite::stopControlModules();
    ASSERT_TRUE(uninstall(L"/S /REMOVESETTINGS"));
    EXPECT_TRUE(goneWithin(password, 5000));
    EXPECT_FALSE(suite::exists(settings));
    EXPECT_TRUE(goneWithin(ledgers, 5000)) << "the ledgers stay";
    EXPECT_FALSE(suite::exists(dataLocations().controlModulePath()));
}

// The guard service under Wine's service manager, installed and removed by
// qz.exe as the installer does it. Wine has one user and no session
// isolation: the module the guard starts runs as the test's own user and is
// found by its window.
#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guard/guard_installation_win.h"
#include "guard/guard_requests_win.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "shell/data_locations_win.h"
#include "shell/control_channel_win.h"
#include "support/suite.h"

namespace {

// The processes running the control module's file.
std::vector<DWORD> moduleProcesses() {
    using FullNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    static const auto fullName =
        reinterpret_cast<FullNameFn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW"));
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
        wchar_t path[MAX_PATH] = L"";
        DWORD size = MAX_PATH;
        if (process && fullName(process, 0, path, &size) && lstrcmpiW(path, dataLocations().controlModulePath()) == 0)
            found.push_back(entry.th32ProcessID);
        if (process) CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

DWORD moduleProcess() {
    DWORD id = 0;
    if (HWND window = findSuiteWindow(kControlWindowTitle)) GetWindowThreadProcessId(window, &id);
    return id;
}

// The rights the guard's access rules give a group of users.
ACCESS_MASK rightsOf(WELL_KNOWN_SID_TYPE group) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ACCESS_MASK rights = 0;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kGuardServiceAccess, SDDL_REVISION_1, &descriptor,
                                                             nullptr) &&
        GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && acl &&
        CreateWellKnownSid(group, nullptr, sid, &size))
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            if (GetAce(acl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                EqualSid(&ace->SidStart, sid))
                rights |= ace->Mask;
        }
    LocalFree(descriptor);
    return rights;
}

class Guard : public ::testing::Test {
protected:
    void SetUp() override { suite::installControlModule(); }
    void TearDown() override {
        suite::run(suite::qzPath(), L"/remove-guard", 30000);
        suite::stopControlModules();
    }
};

}  // namespace

TEST_F(Guard, KeepsTheModuleRunningUntilTheParentsCloseIt) {
    // A user the settings leave alone gets no module.
    Settings others;
    others.selectedUsersOnly = 1;
    others.users = {u"someone-else"};
    ASSERT_TRUE(suite::writeSettings(others));
    ASSERT_EQ(suite::run(suite::qzPath(), L"/install-guard", 30000), 0u);
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service =
        OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | READ_CONTROL);
    ASSERT_NE(service, nullptr);
    // As the Services list shows it: its Russian name, started with Windows.
    std::string config(8192, '\0');
    DWORD size = 0;
    ASSERT_TRUE(QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                                    static_cast<DWORD>(config.size()), &size));
    const auto* settings = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data());
    wchar_t displayName[256] = L"";
    LoadStringW(GetModuleHandleW(nullptr), IDS_GUARD_DISPLAY_NAME, displayName, 256);
    EXPECT_STREQ(settings->lpDisplayName, displayName);
    EXPECT_EQ(settings->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(std::wstring(settings->lpBinaryPathName), L"\"" + suite::qzPath() + L"\" /guard");
    SERVICE_STATUS status{};
    EXPECT_TRUE(suite::waitUntil(5000, [&] {
        return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
    }));

    Sleep(4000);
    EXPECT_TRUE(moduleProcesses().empty()) << "a module started for a user the settings leave alone";

    // For a controlled user it starts the module, and brings it back when it
    // is ended as Task Manager ends it.
    ASSERT_TRUE(suite::writeSettings(Settings{}));
    DWORD first = 0, second = 0;
    ASSERT_TRUE(suite::waitUntil(10000, [&] { return (first = moduleProcess()) != 0; })) << "no module started";
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first);
    ASSERT_TRUE(process && TerminateProcess(process, 1));
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    EXPECT_TRUE(suite::waitUntil(10000, [&] { return (second = moduleProcess()) != 0 && second != first; }))
        << "the module was not back within 10 s";

    // The parents close it with their password: it stays closed.
    ASSERT_TRUE(storePassword(u"pw"));
    HANDLE sender = suite::start(suite::qzPath(), L"/close");
    HWND prompt = suite::waitForWindow(L"Tolder", 10000, L"#32770");
    ASSERT_NE(prompt, nullptr);
    SetDlgItemTextW(prompt, IDC_PASSWORD_EDIT, L"pw");
    PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForSingleObject(sender, 15000), WAIT_OBJECT_0);
    CloseHandle(sender);
    EXPECT_TRUE(suite::waitUntil(5000, [] { return moduleProcess() == 0; }));
    Sleep(5000);
    EXPECT_EQ(moduleProcess(), 0u) << "the guard started the closed module again";

    // Removed, it is gone from the service manager.
    EXPECT_EQ(suite::run(suite::qzPath(), L"/remove-guard", 30000), 0u);
    CloseServiceHandle(service);
    EXPECT_EQ(OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_STATUS), nullptr);
    CloseServiceHandle(manager);
}

// Wine neither keeps nor enforces a service's access rules: the rules
// installGuardService sets are read here as Windows would apply them. A child
// (an interactive user) may look at the guard, never stop, pause, reconfigure
// or remove it, nor send it the parents' requests; administrators may.
TEST(GuardAccess, OnlyAdministratorsMayStopTheGuardOrSendItRequests) {
    const ACCESS_MASK forbidden = SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL |
                                  SERVICE_CHANGE_CONFIG | SERVICE_START | DELETE | WRITE_DAC | WRITE_OWNER;
    for (WELL_KNOWN_SID_TYPE user :
         {WinInteractiveSid, WinServiceSid, WinAuthenticatedUserSid, WinWorldSid, WinBuiltinUsersSid}) {
        SCOPED_TRACE(user);
        EXPECT_EQ(rightsOf(user) & forbidden, 0u);
    }
    EXPECT_NE(rightsOf(WinInteractiveSid) & SERVICE_QUERY_STATUS, 0u);
    for (WELL_KNOWN_SID_TYPE owner : {WinBuiltinAdministratorsSid, WinLocalSystemSid})
        EXPECT_EQ(rightsOf(owner) & (SERVICE_STOP | SERVICE_USER_DEFINED_CONTROL),
                  static_cast<ACCESS_MASK>(SERVICE_STOP | SERVICE_USER_DEFINED_CONTROL));
}

// A module that runs already (the Run key's) is left alone: the guard starts
// no second one beside it.
TEST_F(Guard, AdoptsAModuleThatRunsAlready) {
    ASSERT_NE(suite::startControlModule(), nullptr);
    const std::vector<DWORD> running = moduleProcesses();
    ASSERT_EQ(running.size(), 1u);
    ASSERT_EQ(suite::run(suite::qzPath(), L"/install-guard", 30000), 0u);
    for (int look = 0; look < 50; ++look, Sleep(100)) ASSERT_EQ(moduleProcesses(), running) << "at look " << look;
}

// What /install-guard leaves for a child with a standard account: the guard
// in Safe Mode, and a shared data folder he cannot change though he may have
// made it first. Wine's registry is real; Wine keeps no security descriptor
// of a file (it maps one to the Unix mode bits), so the folder's rules are
// read from the descriptor the installation gives it, as Windows would apply
// them.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "guard/guard_installation_win.h"
#include "support/suite.h"

namespace {

const wchar_t* const kSafeBootKeys[] = {L"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\qz-tolder-guard",
                                        L"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\qz-tolder-guard"};

std::wstring defaultValue(const wchar_t* key) {
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS
               ? value
               : L"<missing>";
}

bool isSid(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return sid && CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

constexpr ACCESS_MASK kChange = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

}  // namespace

TEST(GuardInstallation, RunsInSafeModeAndTakesOverTheSharedDataFolder) {
    suite::installControlModule();  // the folder exists, as a child may have made it
    Settings others;                // the guard starts no module for the test's user
    others.selectedUsersOnly = 1;
    others.users = {u"someone-else"};
    ASSERT_TRUE(suite::writeSettings(others));
    const DWORD installed = suite::run(suite::qzPath(), L"/install-guard", 30000);
    std::wstring values[2];
    for (int i = 0; i < 2; ++i) values[i] = defaultValue(kSafeBootKeys[i]);
    EXPECT_EQ(suite::run(suite::qzPath(), L"/remove-guard", 30000), 0u);
    suite::removeSuiteFiles();
    EXPECT_EQ(installed, 0u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(values[i], L"Service") << kSafeBootKeys[i];
        EXPECT_EQ(defaultValue(kSafeBootKeys[i]), L"<missing>") << kSafeBootKeys[i] << " after the removal";
    }

    PSECURITY_DESCRIPTOR rules = nullptr;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(kCommonFolderAccess, SDDL_REVISION_1, &rules,
                                                                     nullptr) &&
                GetSecurityDescriptorOwner(rules, &owner, &defaulted) &&
                GetSecurityDescriptorDacl(rules, &present, &dacl, &defaulted) && dacl &&
                GetSecurityDescriptorControl(rules, &control, &revision));
    EXPECT_TRUE(isSid(owner, WinBuiltinAdministratorsSid));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0) << "users may create files in the folder above";
    ACCESS_ALLOWED_ACE* ace = nullptr;  // each an allowed one: a denied one could only take rights away
    for (DWORD i = 0; i < dacl->AceCount && GetAce(dacl, i, reinterpret_cast<void**>(&ace)); ++i) {
        if (isSid(&ace->SidStart, WinLocalSystemSid) || isSid(&ace->SidStart, WinBuiltinAdministratorsSid)) continue;
        EXPECT_EQ(ace->Mask & kChange, 0u) << "rule " << i;
        if (isSid(&ace->SidStart, WinBuiltinUsersSid)) {
            EXPECT_EQ(ace->Mask, static_cast<ACCESS_MASK>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE))
                << "users run the control module from it";
        }
    }
    LocalFree(rules);
}

// What /install-guard leaves for a child with a standard account: the guard
// in Safe Mode. Wine's registry is real.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

}  // namespace

TEST(GuardInstallation, RunsInSafeMode) {
    suite::installControlModule();
    Settings others;  // the guard starts no module for the test's user
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
}

#include <windows.h>

#include <gtest/gtest.h>

#include "common/dll_search_win.h"
#include "scene/player_version.h"
#include "scene/player_version_win.h"
#include "support/suite.h"

// import_probe.dll lies beside the test program, where a user might put a DLL
// under a system DLL's name; the suite's own player lies there too.
TEST(DllSearch, ADllBesideTheProgramLoadsOnlyByItsFullPath) {
    ASSERT_EQ(GetModuleHandleW(L"import_probe.dll"), nullptr);
    ASSERT_EQ(restrictDllSearch(), DllSearch::SystemFolderOnly);  // Wine has Windows 8's call
    EXPECT_EQ(LoadLibraryW(L"import_probe.dll"), nullptr);
    EXPECT_NE(LoadLibraryW(L"netapi32.dll"), nullptr) << "system DLLs load by name";
    EXPECT_NE(LoadLibraryW((suite::binDir() + L"\\import_probe.dll").c_str()), nullptr);
    EXPECT_TRUE(hasPlayer(kRequiredPlayerVersion)) << "the suite's player is not found";
}

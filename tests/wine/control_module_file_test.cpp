#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/control_module_file_win.h"
#include "shell/data_locations_win.h"
#include "support/suite.h"

TEST(ControlModuleFile, InUseUntilTheModuleEndsThenFreeAndKept) {
    std::wstring path = dataLocations().controlModulePath();
    ASSERT_TRUE(CopyFileW((suite::binDir() + L"\\recorder.exe").c_str(), path.c_str(), FALSE));
    HANDLE module = suite::start(path, L"/stay");
    ASSERT_NE(module, nullptr);
    Sleep(300);

    DWORD started = GetTickCount();
    EXPECT_FALSE(freeControlModuleFile());
    DWORD waited = GetTickCount() - started;
    EXPECT_GE(waited, 1500u);
    EXPECT_LT(waited, 6000u);
    EXPECT_NE(GetFileAttributesW((path + L"_").c_str()), INVALID_FILE_ATTRIBUTES);

    suite::killProcess(module);
    EXPECT_TRUE(freeControlModuleFile());
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);  // the copy was put back

    DeleteFileW(path.c_str());
    DeleteFileW((path + L"_").c_str());
    DeleteFileW((path + L".log").c_str());
    EXPECT_TRUE(freeControlModuleFile());  // no file: nothing holds it
}

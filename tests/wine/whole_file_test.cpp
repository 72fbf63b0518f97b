#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/whole_file_win.h"
#include "support/suite.h"

namespace {

class WholeFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = suite::tempPath(L"pallo-whole-file");
        suite::removeTree(folder);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        path = folder + L"\\nessel20.cfg";
    }
    void TearDown() override { suite::removeTree(folder); }

    std::vector<uint8_t> bytes(size_t count, uint8_t seed) const {
        std::vector<uint8_t> result(count);
        for (size_t i = 0; i < count; ++i) result[i] = uint8_t(seed + i * 7);
        return result;
    }

    std::wstring folder, path;
};

// A reader that keeps the file open blocks the replacement for good: the old
// file stays, with no temporary beside it. Once the reader is gone, the
// shorter image replaces the longer one exactly.
TEST_F(WholeFile, ReplacementWaitsForAReaderToCloseOrKeepsTheOldFile) {
    auto old = bytes(30, 9), fresh = bytes(40, 3), shorter = bytes(12, 5);
    ASSERT_TRUE(writeWholeFile(path.c_str(), old.data(), DWORD(old.size())));
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writeWholeFile(path.c_str(), fresh.data(), DWORD(fresh.size())));
    std::vector<uint8_t> read;
    readWholeFile(path.c_str(), read);
    EXPECT_EQ(read, old);
    EXPECT_EQ(suite::filesIn(folder + L"\\*"), std::vector<std::wstring>{L"nessel20.cfg"});
    const std::wstring missingFolder = folder + L"\\absent\\nessel20.cfg";
    EXPECT_FALSE(writeWholeFile(missingFolder.c_str(), fresh.data(), DWORD(fresh.size())));

    std::thread closer([reader] {
        Sleep(150);
        CloseHandle(reader);
    });
    EXPECT_TRUE(writeWholeFile(path.c_str(), shorter.data(), DWORD(shorter.size())));
    closer.join();
    readWholeFile(path.c_str(), read);
    EXPECT_EQ(read, shorter);
}

}  // namespace

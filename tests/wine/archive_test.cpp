#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "content/archive_win.h"
#include "common/key_value_document.h"
#include "common/text_win.h"
#include "shell/data_locations_win.h"
#include "support/suite.h"

namespace {

const std::wstring kArchiveDir = PALLO_TEST_ARCHIVE_DIR;
const std::wstring kArchivePath = kArchiveDir + L"\\pallo.vfs";

std::string text(const VfsBuffer& buffer, uint32_t size) {
    return buffer ? std::string(reinterpret_cast<const char*>(buffer.get()), size) : "<null>";
}

// Runs with the current directory set to the folder, and puts it back.
class InFolder {
public:
    explicit InFolder(const std::wstring& folder) {
        GetCurrentDirectoryW(MAX_PATH, previous_);
        SetCurrentDirectoryW(folder.c_str());
    }
    ~InFolder() {
        vfsCloseArchive();
        SetCurrentDirectoryW(previous_);
    }

private:
    wchar_t previous_[MAX_PATH];
};

// An empty scratch folder of the test's own.
std::wstring scratchFolder(const wchar_t* name) {
    std::wstring folder = std::wstring(dataLocations().tempFolder()) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& name : suite::filesIn(folder + L"\\*.vfs")) DeleteFileW((folder + L"\\" + name).c_str());
    return folder;
}

}  // namespace

TEST(Archive, ProcessArchiveMountsLazilyAndHoldsItsFileUntilReleased) {
    std::wstring folder = scratchFolder(L"archive-lazy");
    InFolder inFolder(folder);
    EXPECT_EQ(vfsArchive(), nullptr);
    std::wstring copy = folder + L"\\content.vfs";
    ASSERT_TRUE(CopyFileW(kArchivePath.c_str(), copy.c_str(), FALSE));
    VfsArchive* archive = vfsArchive();
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(vfsArchive(), archive);
    uint32_t size = 0;
    EXPECT_TRUE(vfsReadFile(archive, L"info\\c-test.txt", &size));

    HANDLE writer = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    vfsCloseArchive();
    EXPECT_TRUE(DeleteFileW(copy.c_str()));
    EXPECT_EQ(vfsArchive(), nullptr);
}

// "Д" is 0xC4 in code page 1251; in 1252 the same byte is "Ä". "Ж" is 0xC6
// in 1251, two bytes in 932 and missing from 1252.
TEST(CodePage, AnsiArchivePathsAndValuesFollowTheAnsiCodePage) {
    std::unique_ptr<VfsArchive> archive = vfsOpenArchive(kArchivePath.c_str(), VfsCodec::standard());
    ASSERT_TRUE(archive);
    uint32_t size = 0;
    VfsBuffer cyrillic = vfsReadFileA(archive.get(), "\xC4.TXT", &size);
    EXPECT_EQ(cyrillic != nullptr, GetACP() == 1251);
    VfsBuffer wide = vfsReadFile(archive.get(), L"\x0414.TXT", &size);
    EXPECT_EQ(text(wide, size), "cyrillic");

    KeyValueDocument document;
    document.parse(u"name=\x0416 1/3");
    const char* expected = GetACP() == 1251 ? "\xC6 1/3" : GetACP() == 932 ? "\x84\x47 1/3" : "? 1/3";
    EXPECT_EQ(document.ansiText(u"name", toAnsiCodePage), expected);
}

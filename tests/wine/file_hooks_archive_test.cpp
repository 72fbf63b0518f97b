#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "content/archive_win.h"
#include "content/file_hooks_win.h"
#include "shell/data_locations_win.h"

namespace {

using Contents = std::map<std::wstring, std::string>;

// Every file the scene test archive holds, read through the process archive
// mounted anew from the archive's folder.
Contents readArchive() {
    std::wstring archive = PALLO_SCENE_ARCHIVE;
    std::wstring folder = archive.substr(0, archive.find_last_of(L'\\'));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());
    Contents contents;
    for (const wchar_t* path : {L"info\\c-test.txt", L"info\\c-hopsa-usual.txt", L"ck\\info.txt", L"swf\\movie.swf"}) {
        std::uint32_t size = 0;
        VfsBuffer bytes = vfsReadFile(vfsArchive(), path, &size);
        contents[path] = bytes ? std::string(reinterpret_cast<const char*>(bytes.get()), size) : "<unreadable>";
    }
    vfsCloseArchive();
    SetCurrentDirectoryW(previous);
    return contents;
}

}  // namespace

TEST(FileHooksWithTheArchive, TheArchiveReadsTheSameBytesWithTheReplacementsInstalled) {
    Contents plain = readArchive();
    ASSERT_GT(plain[L"swf\\movie.swf"].size(), 1000u);

    installFileHooks();
    // A bound movie at the same time must not disturb the archive's handle.
    std::wstring placeholder = std::wstring(dataLocations().tempFolder()) + L"archive-neighbour.swf";
    auto movie = std::make_unique<std::uint8_t[]>(64);
    registerVirtualFile(placeholder.c_str(), std::move(movie), 64, true, 2);
    HANDLE bound = CreateFileW(placeholder.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char first[8];
    DWORD read = 0;
    ReadFile(bound, first, sizeof first, &read, nullptr);
    Contents hooked = readArchive();
    CloseHandle(bound);
    releaseVirtualFiles();
    removeAllHooks();

    EXPECT_EQ(read, 8u);
    EXPECT_EQ(hooked, plain);
}

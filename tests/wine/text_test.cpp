#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/text_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"
#include "support/suite.h"

TEST(Text, ToWideWithCapacityMinusOneConvertsTheWholeText) {
    wchar_t out[16];
    EXPECT_EQ(toWide(CP_ACP, "abc", out, -1), 4);
    EXPECT_STREQ(out, L"abc");
}

TEST(Text, PathExistsTellsFilesFromFolders) {
    std::wstring folder = suite::tempPath(L"exists-folder");
    std::wstring file = suite::tempPath(L"exists-file.txt");
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(suite::writeBytes(file, ""));
    EXPECT_TRUE(pathExists(folder.c_str(), PathKind::Directory));
    EXPECT_FALSE(pathExists(folder.c_str(), PathKind::File));
    EXPECT_TRUE(pathExists(folder.c_str(), PathKind::Any));
    EXPECT_TRUE(pathExists(file.c_str(), PathKind::Any));
    EXPECT_TRUE(fileExists(file.c_str()));
    EXPECT_FALSE(pathExists(file.c_str(), PathKind::Directory));
    EXPECT_FALSE(fileExists((file + L".missing").c_str()));
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(Text, WindowWithoutTextGivesZeroAndAnEmptyBufferOnTheAnsiPath) {
    HWND window = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    wchar_t buffer[16] = L"junk";
    EXPECT_EQ(ansi::getWindowText(window, buffer, 16), 0);
    EXPECT_STREQ(buffer, L"");
    DestroyWindow(window);
}

// A path through a folder named in the code page's own letters (two bytes
// each on a double-byte code page such as 932) keeps every letter and its end
// on the way to ANSI and back, and names the same file for the system.
TEST(CodePage, AnsiPathsKeepTheCodePagesOwnLetters) {
    const wchar_t* name = GetACP() == 1251 ? L"Ребёнок" : GetACP() == 932 ? L"一時フォルダー" : L"Enfant élève";
    const std::wstring folder = suite::tempPath(name);
    const std::wstring file = folder + L"\\" + name + L".txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(suite::writeBytes(file, ""));
    auto narrow = wideToAnsi(file.c_str());
    EXPECT_STREQ(ansiToWide(narrow.get()).get(), file.c_str());
    EXPECT_TRUE(fileExists(narrow.get()));
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

// The ANSI path hands the system the name's 1251 bytes, which the system
// reads in its own code page: on a Cyrillic system the very same name.
TEST(CodePage, CyrillicFileNamesOnTheAnsiPathUse1251) {
    std::wstring path = suite::tempPath(L"Тикко-файл.txt");
    std::wstring seenBySystem = codePageToWide(CP_ACP, wideToCodePage(1251, path.c_str()).get()).get();
    if (GetACP() == 1251) {
        EXPECT_EQ(seenBySystem, path);
    }

    HANDLE file = ansi::createFile(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(fileExists(seenBySystem.c_str()));
    EXPECT_TRUE(ansi::setFileAttributes(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(GetFileAttributesW(seenBySystem.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(ansi::setFileAttributes(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(ansi::deleteFile(path.c_str()));
    EXPECT_FALSE(fileExists(seenBySystem.c_str()));
}

TEST(Strings, LoadStringGivesTheExactRussianText) {
    wchar_t text[256];
    EXPECT_GT(loadString(IDS_OTHER_SESSIONS, text, 256), 0);
    EXPECT_STREQ(text, L"Для удаления программы необходимо завершить все другие сессии Windows");
    EXPECT_EQ(loadString(9999, text, 256), 0);
    EXPECT_STREQ(text, L"");
}

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/hand_over_password_win.h"
#include "control/state_file_win.h"
#include "resources/resource_ids.h"
#include "shell/hand_over_file_win.h"
#include "shell/data_locations_win.h"
#include "support/suite.h"

namespace {

TEST(StateFile, KeptOpenForReadersOnlyAndRewrittenInPlace) {
    const std::wstring path = suite::tempPath(L"pallo-state.cfg");
    DeleteFileW(path.c_str());
    StateRecord record;
    record.nesselMinutes = 17;
    record.firstExerciseDone = true;
    {
        StateFile file(path.c_str());
        ASSERT_TRUE(file.isOpen());
        uint8_t bytes[kStateRecordSize];
        EXPECT_EQ(file.read(bytes, sizeof bytes), 0u);  // created empty

        // Nobody writes or deletes it beside the module; the guard reads it (below).
        HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        EXPECT_FALSE(DeleteFileW(path.c_str()));

        file.write(encodeStateRecord(StateRecord{}));
        file.write(encodeStateRecord(record));
        EXPECT_EQ(suite::readBytes(path).size(), kStateRecordSize);
        ASSERT_EQ(file.read(bytes, sizeof bytes), kStateRecordSize);
        StateRecord back;
        decodeStateRecord(bytes, sizeof bytes, back);
        EXPECT_EQ(back.nesselMinutes, 17);
    }
    StateFile reopened(path.c_str());
    uint8_t bytes[kStateRecordSize];
    ASSERT_EQ(reopened.read(bytes, sizeof bytes), kStateRecordSize);
    StateRecord back;
    decodeStateRecord(bytes, sizeof bytes, back);
    EXPECT_TRUE(back.firstExerciseDone);
}

TEST(StateFile, AnUnopenableFileReadsNothingAndDropsWrites) {
    StateFile file(suite::tempPath(L"no-such-folder\\pallo-state.cfg").c_str());
    EXPECT_FALSE(file.isOpen());
    uint8_t bytes[4];
    EXPECT_EQ(file.read(bytes, sizeof bytes), 0u);
    file.write(StateImage{});
}

void writeHandOver(const std::wstring& text) {
    const auto bytes = reinterpret_cast<const char*>(text.c_str());
    ASSERT_TRUE(
        suite::writeBytes(dataLocations().handOverPath(), std::string(bytes, (text.size() + 1) * sizeof(wchar_t))));
}

// How the file's bytes become the password is tested natively (HandOverPassword).
TEST(HandOver, ThePasswordIsTakenAndTheFileWiped) {
    writeHandOver(L"\u043f\u0430\u0440\u043e\u043b\u044c");
    EXPECT_EQ(takeHandOverPassword(), u"\u043f\u0430\u0440\u043e\u043b\u044c");
    EXPECT_EQ(GetFileAttributesW(dataLocations().handOverPath()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(takeHandOverPassword(), u"");
}

// The longest password takes 2050 bytes; a file that cannot be deleted (here
// another handle forbids it) must hold none of them.
TEST(HandOver, TheWipeCoversTheLongestPassword) {
    writeHandOver(std::wstring(1024, L'k'));
    HANDLE kept = CreateFileW(dataLocations().handOverPath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(kept, INVALID_HANDLE_VALUE);
    wipeHandOverFile(dataLocations().handOverPath());
    std::string bytes(4096, '\x7f');
    DWORD read = 0;
    ReadFile(kept, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(kept);
    bytes.resize(read);
    EXPECT_GE(read, 2050u);
    EXPECT_EQ(bytes.find_first_not_of('\0'), std::string::npos);
    DeleteFileW(dataLocations().handOverPath());
}

}  // namespace

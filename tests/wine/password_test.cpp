#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "crypto/random.h"
#include "settings/password.h"
#include "settings/password_prompt_win.h"
#include "settings/password_store_win.h"
#include "resources/resource_ids.h"
#include "shell/control_commands.h"
#include "shell/data_locations_win.h"
#include "support/fake_control_module.h"
#include "support/suite.h"

namespace {

const wchar_t kWrongPassword[] = L"Неправильный пароль";

std::wstring errorCaption() { return GetACP() == 1251 ? L"Ошибка" : L"Error"; }

class PasswordStore : public ::testing::Test {
protected:
    void SetUp() override { suite::removeSuiteFiles(); }
    void TearDown() override { suite::removeSuiteFiles(); }
};

TEST_F(PasswordStore, ReadOnlyHiddenFileIsReplaced) {
    ASSERT_TRUE(storePassword(u"first"));
    SetFileAttributesW(dataLocations().passwordPath(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(storePassword(u"second"));
    EXPECT_TRUE(checkPassword(u"second"));
    EXPECT_FALSE(checkPassword(u"first"));
    // Held open by another program, the digest accepts nothing, not even the
    // empty password a missing one accepts.
    HANDLE held = CreateFileW(dataLocations().passwordPath(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(checkPassword(u""));
    EXPECT_FALSE(checkPassword(u"second"));
    CloseHandle(held);
}

// A visible window with the three fields of the "Смена пароля" group.
class ChangePassword : public PasswordStore {
protected:
    void SetUp() override {
        PasswordStore::SetUp();
        window = CreateWindowExW(0, L"STATIC", L"settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        for (int id : {kOldPasswordId, kNewPasswordId, kConfirmPasswordId})
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 30 * (id - 1004), 200, 24, window,
                            HMENU(INT_PTR(id)), nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        PasswordStore::TearDown();
    }
    void fill(const wchar_t* oldPassword, const wchar_t* newPassword, const wchar_t* confirmation) {
        SetDlgItemTextW(window, kOldPasswordId, oldPassword);
        SetDlgItemTextW(window, kNewPasswordId, newPassword);
        SetDlgItemTextW(window, kConfirmPasswordId, confirmation);
    }
    HWND window = nullptr;
};

// Runs again on a Cyrillic and a Western code page: the caption follows it.
class CodePageChangePassword : public ChangePassword {};

TEST_F(CodePageChangePassword, WrongOldPasswordAndUnconfirmedNewOne) {
    ASSERT_TRUE(storePassword(u"Secret"));
    fill(L"secret", L"New", L"New");
    suite::BoxCloser wrong(window);
    EXPECT_EQ(changePassword(window), 1);
    suite::BoxCloser::Seen seen = wrong.seen();
    EXPECT_EQ(seen.text, kWrongPassword);
    EXPECT_EQ(seen.caption, errorCaption());
    EXPECT_EQ(GetFocus(), GetDlgItem(window, kOldPasswordId));

    fill(L"Secret", L"New", L"new");
    suite::BoxCloser unconfirmed(window);
    EXPECT_EQ(changePassword(window), 2);
    EXPECT_EQ(unconfirmed.seen().text, L"Пароль не подтверждён");
    EXPECT_EQ(GetFocus(), GetDlgItem(window, kNewPasswordId));
    EXPECT_TRUE(checkPassword(u"Secret"));
}

TEST_F(ChangePassword, UnwritableDigestFileIsReported) {
    // Held by a reader that lets others read it but not replace it: the old
    // password checks, the new one cannot be stored.
    ASSERT_TRUE(storePassword(u""));
    HANDLE held = CreateFileW(dataLocations().passwordPath(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    fill(L"", L"New", L"New");
    suite::BoxCloser notSaved(window);
    EXPECT_EQ(changePassword(window), 3);
    EXPECT_EQ(notSaved.seen().text, L"Не удалось сохранить файл конфигурации. Пароль не изменён.");
    CloseHandle(held);
}

// The prompt's poll may start the control module when none answers; an
// installed one is moved aside so that no test leaves a module running.
class PasswordPrompt : public PasswordStore {
protected:
    void SetUp() override {
        PasswordStore::SetUp();
        aside = std::wstring(dataLocations().controlModulePath()) + L".aside";
        movedAside = MoveFileW(dataLocations().controlModulePath(), aside.c_str());
    }
    void TearDown() override {
        if (movedAside) MoveFileW(aside.c_str(), dataLocations().controlModulePath());
        PasswordStore::TearDown();
    }
    std::wstring aside;
    bool movedAside = false;
};

class CodePagePasswordPrompt : public PasswordPrompt {};

TEST_F(CodePagePasswordPrompt, WrongEntryKeepsThePromptRightOneReturnsIt) {
    ASSERT_TRUE(storePassword(u"Secret"));
    struct Seen {
        bool found = false, stayedAfterWrongEntry = false;
        suite::BoxCloser::Seen box;
        LRESULT testAnswer = 0, otherAnswer = -1;
        uint32_t challenge = 0;
        std::vector<int> charSets;
        std::vector<std::wstring> clipped;
    } seen;
    std::thread driver([&seen] {
        HWND prompt = suite::waitForWindow(L"Tolder", 20000, L"#32770");
        if (!prompt) return;
        seen.found = true;
        // The Russian texts need a font with the Cyrillic character set, whatever the system's.
        for (int control : {IDC_PASSWORD_PROMPT, IDC_PASSWORD_EDIT, IDOK, IDCANCEL}) {
            LOGFONTW font{};
            HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(prompt, control, WM_GETFONT, 0, 0));
            seen.charSets.push_back(handle && GetObjectW(handle, sizeof font, &font) ? font.lfCharSet : -1);
        }
        seen.clipped = suite::clippedTexts(prompt);
        seen.challenge = randomUInt32(nullptr);
        seen.testAnswer = SendMessageW(prompt, kControlMessage, kCommandTestQuery, LPARAM(seen.challenge));
        seen.otherAnswer = SendMessageW(prompt, kControlMessage, kCommandTestCloseWindow, 0);
        SetDlgItemTextW(prompt, IDC_PASSWORD_EDIT, L"secret");
        PostMessageW(prompt, WM_COMMAND, IDOK, 0);
        if (HWND box = suite::waitForOwnedBox(prompt, 5000)) {
            seen.box = {suite::messageBoxText(box), suite::windowTitle(box)};
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(100);
        seen.stayedAfterWrongEntry = IsWindow(prompt) && IsWindowVisible(prompt);
        SetDlgItemTextW(prompt, IDC_PASSWORD_EDIT, L"Secret");
        PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    });
    std::u16string out;
    bool accepted = askPassword(out);
    driver.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.charSets, std::vector<int>(4, RUSSIAN_CHARSET));
    EXPECT_EQ(seen.clipped, std::vector<std::wstring>{});
    EXPECT_EQ(uint32_t(seen.testAnswer), proof(seen.challenge));
    EXPECT_EQ(seen.otherAnswer, 0);
    EXPECT_EQ(seen.box.text, kWrongPassword);
    EXPECT_EQ(seen.box.caption, errorCaption());
    EXPECT_TRUE(seen.stayedAfterWrongEntry);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(out, u"Secret");
}

TEST_F(PasswordPrompt, ControlModuleAskingToCloseCancelsThePrompt) {
    ASSERT_TRUE(storePassword(u"Secret"));
    suite::FakeControlModule control;
    control.askToClose(true);
    std::atomic<DWORD> shownAt{0};
    std::thread watcher([&shownAt] {
        if (suite::waitForWindow(L"Tolder", 20000, L"#32770")) shownAt = GetTickCount();
    });
    std::u16string out = u"untouched";
    EXPECT_FALSE(askPassword(out));
    DWORD endedAt = GetTickCount();
    watcher.join();
    ASSERT_NE(shownAt.load(), 0u);
    EXPECT_LT(endedAt - shownAt, 1000u);
    EXPECT_EQ(out, u"untouched");
}

}  // namespace

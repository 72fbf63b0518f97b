#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/controlled_user_win.h"
#include "settings/local_users_win.h"
#include "shell/privileges_win.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "settings/settings_dialogs_win.h"
#include "common/whole_file_win.h"
#include "shell/control_channel_win.h"
#include "support/fake_control_module.h"
#include "support/suite.h"

namespace {

std::wstring titleOf(SettingsKind kind) {
    bool cyrillic = GetACP() == 1251;
    switch (kind) {
    case SettingsKind::Nessel: return cyrillic ? L"Настройки Nessel" : L"Nessel Options";
    case SettingsKind::Hopsa: return cyrillic ? L"Настройки Hopsa" : L"Exercises Options";
    case SettingsKind::Tolder: return cyrillic ? L"Настройки Tolder" : L"Tolder Options";
    default: return cyrillic ? L"Настройки" : L"Options";
    }
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

LRESULT moduleCommand(UINT code, LPARAM argument = 0) {
    HWND window = FindWindowW(nullptr, kControlWindowTitle);
    return window ? SendMessageW(window, kControlMessage, code, argument) : -1;
}

// Every test starts from a fresh installation with the control module running.
class SettingsDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        suite::installControlModule();
    }
    // Nothing of the test stays: a control module installed but not running
    // would be started by the next test that sends a command.
    void TearDown() override {
        run_.reset();
        suite::stopControlModules();
        suite::removeSuiteFiles();
        DeleteFileW(dataLocations().controlModulePath());
    }
    // openSettings on a thread of the test (run_), past the password prompt
    // when given the password; the dialog once it is shown, or null.
    HWND open(SettingsKind kind, const wchar_t* password = nullptr) {
        run_.emplace([kind] { openSettings(kind, &isUserAnAdmin); });
        if (password && !suite::answerPasswordPrompt(password)) return nullptr;
        return run_->waitForWindow(titleOf(kind));
    }
    // Until the module reports the mode and the dialog shows it.
    static bool waitForMode(HWND dialog, LRESULT mode) {
        int shown = mode == 0 ? IDC_PARENTS_MODE : IDC_CHILD_MODE;
        return suite::waitUntil(3000, [&] { return moduleCommand(kCommandGetMode) == mode && checked(dialog, shown); });
    }
    std::optional<suite::DialogThread> run_;
};

bool listChecked(HWND list, int item) {
    return (SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

int iconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

}  // namespace

TEST_F(SettingsDialogs, AFreshInstallationShowsTheDefaultsAndCancelSavesNothing) {
    HANDLE process = suite::start(suite::qzPath(), L"/pallo");
    ASSERT_NE(process, nullptr);
    HWND dialog =
        suite::waitForVisible(L"#32770", titleOf(SettingsKind::All).c_str(), 15000, [](HWND) { return true; });
    if (dialog) {
        // Which field shows which setting is tested natively.
        EXPECT_EQ(suite::itemText(dialog, IDC_ALL_BEDTIME), L"45");
        EXPECT_TRUE(checked(dialog, IDC_REQUIRE_ADMIN));
        EXPECT_FALSE(checked(dialog, IDC_SELECTED_USERS));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_USER_LIST)));
        // The dialog started the control module and registered with it.
        EXPECT_EQ(moduleCommand(kCommandGetOptionsWindow), LRESULT(dialog));
        Sleep(600);
        EXPECT_TRUE(checked(dialog, IDC_CHILD_MODE));
        EXPECT_FALSE(checked(dialog, IDC_PARENTS_MODE));
        SetDlgItemTextW(dialog, IDC_ALL_BEDTIME, L"20");
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    suite::killProcess(process);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(moduleCommand(kCommandGetOptionsWindow), 0);
    EXPECT_FALSE(suite::exists(dataLocations().settingsPath()));
}

// Each field of the combined dialog lands in its own setting, an empty one
// read as 0; how a typed number is stored is tested natively (StoredMinutes).
TEST_F(SettingsDialogs, TheCombinedDialogSavesEachFieldInItsSetting) {
    ASSERT_NE(suite::startControlModule(), nullptr);
    HWND dialog = open(SettingsKind::All);
    ASSERT_NE(dialog, nullptr);
    const std::pair<int, const wchar_t*> entries[] = {{IDC_ALL_BEDTIME, L"11"},
                                                      {IDC_ALL_SLEEP, L""},
                                                      {IDC_ALL_EXERCISE, L"13"},
                                                      {IDC_ALL_GRUMBLE_AFTER, L"14"},
                                                      {IDC_ALL_GRUMBLE_REPEAT, L"15"}};
    for (const auto& [id, entry] : entries) SetDlgItemTextW(dialog, id, entry);
    for (int id : {IDC_ALL_SKIP_IDLE, IDC_ALL_NESSEL_DISABLED}) SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run_->waitForEnd(5000));

    const Settings s = suite::readSettings();
    EXPECT_EQ((std::vector<int>{s.bedtimeMinutes, s.sleepMinutes, s.exerciseInterval, s.grumbleAfter, s.grumbleRepeat,
                                s.skipIdleTime, s.nesselDisabled, s.hopsaDisabled}),
              (std::vector<int>{11, 1, 13, 14, 15, 1, 0, 1}));
    EXPECT_EQ(moduleCommand(kCommandGetOptionsWindow), 0);
}

TEST_F(SettingsDialogs, UsersFollowTheAccountsOfTheComputer) {
    const std::u16string me = currentUserName();
    ASSERT_FALSE(me.empty());
    Settings stored;
    stored.selectedUsersOnly = 1;
    stored.users = {u"Ghost", me};
    ASSERT_TRUE(suite::writeSettings(stored));
    ASSERT_NE(suite::startControlModule(), nullptr);
    HWND dialog = open(SettingsKind::Tolder);
    ASSERT_NE(dialog, nullptr);

    HWND list = GetDlgItem(dialog, IDC_USER_LIST);
    EXPECT_TRUE(checked(dialog, IDC_SELECTED_USERS));
    EXPECT_TRUE(IsWindowEnabled(list));
    std::vector<std::u16string> accounts;
    ASSERT_EQ(enumerateLocalUsers(accounts), 0);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), LRESULT(accounts.size()));
    int mine = -1;
    for (int item = 0; item < int(accounts.size()); ++item) {
        EXPECT_EQ(suite::listCell(list, item), std::wstring(accounts[item].begin(), accounts[item].end()));
        EXPECT_EQ(listChecked(list, item), accounts[item] == me);
        if (accounts[item] == me) mine = item;
    }
    ASSERT_GE(mine, 0);
    EXPECT_TRUE(suite::clickCheckBox(list, mine));
    EXPECT_FALSE(listChecked(list, mine));
    EXPECT_TRUE(suite::clickCheckBox(list, mine));
    EXPECT_TRUE(listChecked(list, mine));
    EXPECT_TRUE(SendMessageW(list, LVM_GETITEMSTATE, mine, LVIS_SELECTED) & LVIS_SELECTED);
    // Unchecking the box disables the list; its checks are saved all the same.
    SendDlgItemMessageW(dialog, IDC_SELECTED_USERS, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(list));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run_->waitForEnd(5000));

    Settings saved = suite::readSettings();
    EXPECT_EQ(saved.users, std::vector<std::u16string>{me});
    EXPECT_EQ(saved.selectedUsersOnly, 0);
}

TEST_F(SettingsDialogs, ASecondDialogRaisesTheOpenOneAndCloseAllClosesItWithoutSaving) {
    HWND module = suite::startControlModule();
    ASSERT_NE(module, nullptr);
    HWND hopsa = open(SettingsKind::Hopsa);
    ASSERT_NE(hopsa, nullptr);
    HWND cover = CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 1024, nullptr, nullptr,
                                 nullptr, nullptr);
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    auto above = [](HWND first, HWND second) {
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
            if (window == first) return true;
            if (window == second) return false;
        }
        return false;
    };
    EXPECT_TRUE(above(cover, hopsa));

    EXPECT_EQ(suite::run(suite::qzPath(), L"/nessel", 15000), 0u);
    EXPECT_TRUE(above(hopsa, cover));
    EXPECT_FALSE(GetWindowLongPtrW(hopsa, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(FindWindowW(L"#32770", titleOf(SettingsKind::Nessel).c_str()), nullptr);
    EXPECT_EQ(moduleCommand(kCommandGetOptionsWindow), LRESULT(hopsa));
    DestroyWindow(cover);

    // The module's close-all ends the open dialog within half a second, unsaved.
    SetDlgItemTextW(hopsa, IDC_FIRST_MINUTES, L"9");
    proveAdministrator(module);
    ASSERT_EQ(sendControlCommand(kCommandCloseAllWindows, 1, L""), 0);
    DWORD asked = GetTickCount();
    ASSERT_TRUE(run_->waitForEnd(3000));
    EXPECT_LE(run_->endedAt() - asked, 700u);
    EXPECT_FALSE(suite::exists(dataLocations().settingsPath()));
    EXPECT_EQ(moduleCommand(kCommandGetOptionsWindow), 0);
}

TEST_F(SettingsDialogs, AWrongOldPasswordKeepsTheEntriesAndSavesNothing) {
    ASSERT_TRUE(storePassword(u"Secret"));
    ASSERT_NE(suite::startControlModule(), nullptr);
    HWND dialog = open(SettingsKind::Nessel, L"Secret");
    ASSERT_NE(dialog, nullptr);

    const std::pair<int, std::wstring> entries[] = {{IDC_FIRST_MINUTES, L"30"},
                                                    {IDC_OLD_PASSWORD, L"secret"},
                                                    {IDC_NEW_PASSWORD, L"New"},
                                                    {IDC_CONFIRM_PASSWORD, L"New"}};
    for (const auto& [id, entry] : entries) SetDlgItemTextW(dialog, id, entry.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND box = suite::waitForOwnedBox(dialog, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(suite::messageBoxText(box), L"Неправильный пароль");
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    Sleep(100);
    EXPECT_TRUE(IsWindow(dialog));
    for (const auto& [id, entry] : entries) EXPECT_EQ(suite::itemText(dialog, id), entry) << id;
    EXPECT_FALSE(suite::exists(dataLocations().settingsPath()));
    EXPECT_TRUE(checkPassword(u"Secret"));

    // The right old password alone sets the empty password.
    SetDlgItemTextW(dialog, IDC_OLD_PASSWORD, L"Secret");
    SetDlgItemTextW(dialog, IDC_NEW_PASSWORD, L"");
    SetDlgItemTextW(dialog, IDC_CONFIRM_PASSWORD, L"");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run_->waitForEnd(5000));
    EXPECT_TRUE(checkPassword(u""));
    EXPECT_EQ(suite::readSettings().bedtimeMinutes, 30);
}

TEST_F(SettingsDialogs, ModeButtonsSwitchTheModuleWithThePassword) {
    ASSERT_TRUE(storePassword(u"pw"));
    HWND module = suite::startControlModule();
    ASSERT_NE(module, nullptr);
    HWND dialog = open(SettingsKind::Tolder, L"pw");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(checked(dialog, IDC_CHILD_MODE));

    // Posted as a click would be: a sent one could run inside the dialog's
    // own poll of the mode and be overtaken by the poll's older answer.
    suite::press(dialog, IDC_PARENTS_MODE);
    EXPECT_TRUE(waitForMode(dialog, 0));
    EXPECT_FALSE(checked(dialog, IDC_CHILD_MODE));
    suite::press(dialog, IDC_CHILD_MODE);
    EXPECT_TRUE(waitForMode(dialog, 1));
    EXPECT_FALSE(checked(dialog, IDC_PARENTS_MODE));

    // A switch made elsewhere shows within a tick.
    proveAdministrator(module);
    sendControlCommand(kCommandParents, 1, L"pw");
    ASSERT_EQ(moduleCommand(kCommandGetMode), 0);
    Sleep(700);
    EXPECT_TRUE(checked(dialog, IDC_PARENTS_MODE));
    EXPECT_FALSE(checked(dialog, IDC_CHILD_MODE));

    // A password that cannot be handed over to the module's user is reported,
    // and nothing is sent (the seam stands in for a user whose folder cannot
    // be reached).
    suite::press(dialog, IDC_CHILD_MODE);
    ASSERT_TRUE(waitForMode(dialog, 1));
    const auto systemLookup = controlWindowUser;
    controlWindowUser = [](HWND, WindowUser&) { return false; };
    suite::press(dialog, IDC_PARENTS_MODE);
    HWND box = run_->waitForWindow(suite::infoCaption());
    controlWindowUser = systemLookup;
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(suite::messageBoxText(box).empty());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(moduleCommand(kCommandGetMode), 1);
}

// The running module reloads what a dialog saved.
TEST_F(SettingsDialogs, HelpStartsTheSideWindowAndSavedSettingsAreSentToTheModule) {
    suite::FakeControlModule module;
    suite::RecorderFolder program(L"help-program");
    HWND dialog = open(SettingsKind::Hopsa);
    ASSERT_NE(dialog, nullptr);
    suite::press(dialog, IDC_HELP_BUTTON);
    EXPECT_TRUE(program.waitFor(L"/advtop", 1, 5000));
    EXPECT_NE(program.recorded().find(L"\nshow 0\n"), std::wstring::npos) << "the help process starts hidden";
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run_->waitForEnd(5000));
    EXPECT_TRUE(module.waitFor(kCommandOptionsUpdate, 1, 2000));
}

// Runs again on a Cyrillic and a Western code page.
class CodePageSettingsDialogs : public SettingsDialogs {};

TEST_F(CodePageSettingsDialogs, TitlesFollowTheCodePage) {
    ASSERT_NE(suite::startControlModule(), nullptr);
    for (SettingsKind kind : {SettingsKind::All, SettingsKind::Nessel, SettingsKind::Hopsa, SettingsKind::Tolder}) {
        HWND dialog = open(kind);
        EXPECT_NE(dialog, nullptr) << int(kind);
        if (!dialog) continue;
        EXPECT_EQ(suite::itemText(dialog, IDC_SELECTED_USERS), L"Запускать для отдельных пользователей");
        // The icons, like the dialog, follow the DPI.
        EXPECT_EQ(iconWidth(HICON(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0))), GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(iconWidth(HICON(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0))), GetSystemMetrics(SM_CXICON));
        auto font = HFONT(SendDlgItemMessageW(dialog, IDC_OLD_PASSWORD_LABEL, WM_GETFONT, 0, 0));
        LOGFONTW description{};
        GetObjectW(font, sizeof description, &description);
        EXPECT_EQ(description.lfCharSet, RUSSIAN_CHARSET);
        EXPECT_EQ(suite::clippedTexts(dialog), std::vector<std::wstring>{}) << int(kind);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(run_->waitForEnd(5000));
    }
}

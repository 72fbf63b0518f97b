#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "control/controlled_user_win.h"
#include "control/limits_file_win.h"
#include "control/local_time_win.h"
#include "control/seen_programs.h"
#include "control/time_request.h"
#include "control/trick_log.h"
#include "control/extra_time.h"
#include "control/usage_history.h"
#include "control/usage_ledger_file_win.h"
#include "calendar/dialog/calendar_form_win.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "shell/privileges_win.h"
#include "support/fake_control_module.h"
#include "support/suite.h"

namespace {

// The title follows the code page, as the settings dialogs' do.
std::wstring title() { return GetACP() == 1251 ? L"Расписание и история" : L"Schedule and History"; }

std::wstring me() {
    const std::u16string name = currentUserName();
    return std::wstring(name.begin(), name.end());
}

// The test user's history: 90 minutes yesterday over a limit of 60, 30 today.
std::string writeHistory() {
    const int32_t today = dayOf(localMinuteOf(systemUtcNow()));
    const std::string history =
        std::string(kHistoryHeader) + "\r\n" + dateOf(today - 1) + ";90;1;0;60\r\n" + dateOf(today) + ";30;0;0;\r\n";
    wchar_t path[MAX_PATH];
    const std::wstring user = me();
    if (!prepareLedgerFolder() || !ledgerPathOfUser(user.c_str(), path, L"csv") || !suite::writeBytes(path, history))
        return {};
    return history;
}

// The limits file's path, written with the bytes; empty where it could not be.
std::wstring writeLimits(const std::string& bytes) {
    wchar_t path[MAX_PATH];
    return prepareLedgerFolder() && ledgerFolderFile(L"limits.txt", path) && suite::writeBytes(path, bytes) ? path
                                                                                                            : L"";
}

void choose(HWND dialog, const std::wstring& user) {
    HWND box = GetDlgItem(dialog, IDC_CALENDAR_USER);
    const LRESULT at = SendMessageW(box, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(user.c_str()));
    SendMessageW(box, CB_SETCURSEL, WPARAM(at), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CALENDAR_USER, CBN_SELCHANGE), LPARAM(box));
}

bool isAllowedHours(int red, int green, int blue) { return red == 110 && green == 190 && blue == 110; }
bool isBar(int red, int, int blue) { return blue > 150 && red < 100; }
bool isBarOverLimit(int red, int green, int blue) { return red > 200 && green < 100 && blue < 100; }

class CalendarDialog : public ::testing::Test {
protected:
    void SetUp() override { suite::removeSuiteFiles(); }
    void TearDown() override { suite::removeSuiteFiles(); }
};

}  // namespace

// All users' week and one child's own, the child's fortnight drawn, the week's
// picture following what is typed, a wrong entry refused, and a file written
// by hand keeping its notes and other keys.
TEST_F(CalendarDialog, AParentSetsAChildsWeekAndTheRestOfTheFileStays) {
    const std::wstring user = me();
    ASSERT_FALSE(writeHistory().empty());
    const std::wstring limitsPath = writeLimits("; school week\r\nmonday = 15:00-20:30\r\nmonday.minutes = 120\r\n" +
                                                std::string(user.begin(), user.end()) + "/tuesday = -\r\n");
    ASSERT_FALSE(limitsPath.empty());
    suite::FakeControlModule module;
    suite::DialogThread run([] { openCalendar(&isUserAnAdmin); });
    HWND dialog = run.waitForWindow(title());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(suite::itemText(dialog, IDC_CALENDAR_HOURS), L"15:00-20:30");
    EXPECT_EQ(suite::itemText(dialog, IDC_CALENDAR_MINUTES), L"120");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CALENDAR_EXPORT)));
    EXPECT_EQ(suite::shareOnScreen(GetDlgItem(dialog, IDC_CALENDAR_HISTORY), isBar), 0.0);

    suite::DialogThread second([] { openCalendar(&isUserAnAdmin); });
    EXPECT_TRUE(second.waitForEnd(3000)) << "a second week would save over this one";
    choose(dialog, user);
    EXPECT_EQ(suite::itemText(dialog, IDC_CALENDAR_HOURS), L"");  // as for all users, which it shows greyed
    wchar_t inherited[32] = L"";
    SendDlgItemMessageW(dialog, IDC_CALENDAR_MINUTES, EM_GETCUEBANNER, WPARAM(inherited), 32);
    EXPECT_STREQ(inherited, L"120");
    EXPECT_EQ(suite::itemText(dialog, IDC_CALENDAR_HOURS + 1), L"-");
    HWND week = GetDlgItem(dialog, IDC_CALENDAR_WEEK), chart = GetDlgItem(dialog, IDC_CALENDAR_HISTORY);
    EXPECT_TRUE(suite::waitUntil(2000, [&] { return suite::shareOnScreen(chart, isBar) > 0; }));
    EXPECT_GT(suite::shareOnScreen(chart, isBarOverLimit), 0.0);
    // Monday 15:00-20:30 and Tuesday closed leave 5 whole days and 5.5 hours green.
    const double open = suite::shareOnScreen(week, isAllowedHours);
    SetDlgItemTextW(dialog, IDC_CALENDAR_HOURS, L"-");
    EXPECT_TRUE(suite::waitUntil(2000, [&] { return suite::shareOnScreen(week, isAllowedHours) < open * 0.97; }));

    SetDlgItemTextW(dialog, IDC_CALENDAR_HOURS + 2, L"25:00-26:00");
    suite::press(dialog, IDOK);
    HWND refusal = suite::waitForOwnedBox(dialog, 5000);
    ASSERT_NE(refusal, nullptr) << "a wrong entry is pointed out";
    PostMessageW(refusal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(suite::waitUntil(3000, [&] { return !IsWindow(refusal); }));
    SetDlgItemTextW(dialog, IDC_CALENDAR_HOURS + 2, L"16:00-18:00");
    choose(dialog, L"Все пользователи");
    SetDlgItemTextW(dialog, IDC_CALENDAR_MINUTES + 6, L"90");
    suite::press(dialog, IDOK);
    ASSERT_TRUE(run.waitForEnd(5000));
    EXPECT_TRUE(module.waitFor(kCommandOptionsUpdate, 1, 2000)) << "Nessel reads the week at once";

    EXPECT_EQ(suite::readBytes(limitsPath).substr(0, 2), "\xFF\xFE");
    const std::u16string owner = currentUserName();
    EXPECT_EQ(readLimitsText(), u"; school week\r\nmonday = 15:00-20:30\r\nmonday.minutes = 120\r\n" + owner +
                                    u"/tuesday = -\r\n" + owner + u"/monday = -\r\n" + owner +
                                    u"/wednesday = 16:00-18:00\r\nsunday.minutes = 90\r\nzone = " +
                                    currentTimeZoneName() + u"\r\n")
        << "the zone of the first save is kept";
}

// Behind the parents' password; the chosen child's history saved where the
// parent says, under the name offered; the guard's tricks listed, the newest first.
TEST_F(CalendarDialog, TheHistoryIsExportedForASpreadsheetAndTheTricksListedAfterThePassword) {
    const std::string history = writeHistory();
    ASSERT_FALSE(history.empty());
    ASSERT_TRUE(storePassword(u"secret"));
    {
        suite::DialogThread refused([] { openCalendar(&isUserAnAdmin); });
        HWND prompt = refused.waitForWindow(L"Tolder");
        ASSERT_NE(prompt, nullptr);
        PostMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(refused.waitForEnd(5000));
        EXPECT_EQ(FindWindowW(L"#32770", title().c_str()), nullptr);
    }
    suite::DialogThread run([] { openCalendar(&isUserAnAdmin); });
    ASSERT_NE(suite::answerPasswordPrompt(L"secret"), nullptr);
    HWND dialog = run.waitForWindow(title());
    ASSERT_NE(dialog, nullptr);
    choose(dialog, me());
    suite::press(dialog, IDC_CALENDAR_EXPORT);
    HWND save = suite::waitForOwnedBox(dialog, 5000);
    ASSERT_NE(save, nullptr);
    HWND name = GetDlgItem(save, 0x47c);  // the file name's box
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(suite::windowTitle(name), L"История " + me() + L".csv");
    const std::wstring target = suite::tempPath(L"history-export.csv");
    DeleteFileW(target.c_str());
    SetWindowTextW(name, target.c_str());
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(suite::waitUntil(5000, [&] { return suite::readBytes(target) == history; }));

    wchar_t tricksPath[MAX_PATH];
    ASSERT_TRUE(guardRecordPath(kTricksFileName, tricksPath));
    CreateDirectoryW(std::wstring(tricksPath, wcsrchr(tricksPath, L'\\')).c_str(), nullptr);
    suite::writeBytes(tricksPath, std::string(kTrickHeader) + "\r\n2026-12-01 10:00;;6\r\n2026-12-02 17:30;Маша;7\r\n");
    suite::press(dialog, IDC_CALENDAR_TRICKS);
    HWND tricks = suite::waitForOwnedBox(dialog, 5000);
    ASSERT_NE(tricks, nullptr);
    HWND list = GetDlgItem(tricks, IDC_TRICKS_LIST);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(suite::listCell(list, 0, 1), L"Маша");
    EXPECT_EQ(suite::listCell(list, 0, 2), L"Программа запущена под другим именем");
    // In the user's date format on the computer's clock (Wine's zone here is UTC).
    EXPECT_EQ(suite::listCell(list, 1).find(L"2026-12-01"), std::wstring::npos) << suite::listCell(list, 1);
    EXPECT_NE(suite::listCell(list, 1).find(L"2026"), std::wstring::npos) << suite::listCell(list, 1);
    PostMessageW(tricks, WM_COMMAND, IDOK, 0);
}

// The child's request for more time offered as the week opens (yes gives
// that much extra time), then a group of programs: the group all users have
// shown with its names greyed, the child's fortnight of it drawn, a program
// the children ran and a program's file picked, and the week's OK writing
// the child's keys.
TEST_F(CalendarDialog, AParentGivesTheTimeAChildAskedForAndTheGamesAnHour) {
    const std::wstring user = me();
    wchar_t seen[MAX_PATH], history[MAX_PATH], asked[MAX_PATH], extra[MAX_PATH];
    ASSERT_NE(suite::writeLimits(L"program.Игры = roblox.exe\r\n"), L"");
    ASSERT_TRUE(guardRecordPath(kSeenProgramsFileName, seen) &&
                ledgerPathOfUser(user.c_str(), history, kProgramHistoryExtension));
    CreateDirectoryW(std::wstring(seen, wcsrchr(seen, L'\\')).c_str(), nullptr);
    const int32_t today = dayOf(localMinuteOf(systemUtcNow()));
    suite::writeBytes(seen, withSeenProgram("", u"Minecraft.exe", u"Minecraft", today));
    suite::writeBytes(history, withProgramHistoryLine("", programHistoryLine(today, u"Игры", 90, 60)));
    ASSERT_TRUE(ledgerPathOfUser(user.c_str(), asked, L"ask") && ledgerPathOfUser(user.c_str(), extra, L"extra"));
    const std::vector<uint8_t> request = encodeTimeRequest({suite::nowUtc(), 30, 0, false, u"доделать проект"});
    ASSERT_TRUE(writeLedgerFile(asked, request.data(), request.size()));
    suite::FakeControlModule module;
    suite::DialogThread run([] { openCalendar(&isUserAnAdmin); });
    HWND dialog = run.waitForWindow(title());
    ASSERT_NE(dialog, nullptr);
    HWND offer = suite::waitForOwnedBox(dialog, 5000);
    ASSERT_NE(offer, nullptr) << "the request was not offered";
    PostMessageW(offer, WM_COMMAND, IDYES, 0);
    ExtraTimeImage image{};
    EXPECT_TRUE(suite::waitUntil(5000, [&] {
        return decodeExtraTime(image.data(), readLedgerFile(extra, image.data(), image.size())) >
               suite::nowUtc() + 29 * 60 * 10'000'000ULL;
    }));
    choose(dialog, user);
    suite::press(dialog, IDC_CALENDAR_PROGRAMS);
    HWND programs = suite::waitForOwnedBox(dialog, 5000);
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(suite::itemText(programs, IDC_PROGRAMS_GROUP), L"Игры");
    EXPECT_EQ(suite::clippedTexts(programs), std::vector<std::wstring>{});
    wchar_t inherited[32] = L"";
    SendDlgItemMessageW(programs, IDC_PROGRAMS_NAMES, EM_GETCUEBANNER, WPARAM(inherited), 32);
    EXPECT_STREQ(inherited, L"roblox.exe");
    HWND chart = GetDlgItem(programs, IDC_PROGRAMS_HISTORY);
    EXPECT_TRUE(suite::waitUntil(2000, [&] { return suite::shareOnScreen(chart, isBarOverLimit) > 0; }));
    HWND picker = GetDlgItem(programs, IDC_PROGRAMS_SEEN);
    SendMessageW(picker, CB_SETCURSEL, 1, 0);
    SendMessageW(programs, WM_COMMAND, MAKEWPARAM(IDC_PROGRAMS_SEEN, CBN_SELCHANGE), LPARAM(picker));
    EXPECT_EQ(suite::itemText(programs, IDC_PROGRAMS_NAMES), L"minecraft.exe");
    suite::press(programs, IDC_PROGRAMS_FILE);  // a program's file: its name is added
    HWND open = suite::waitForOwnedBox(programs, 5000);
    ASSERT_NE(open, nullptr);
    SetWindowTextW(GetDlgItem(open, 0x47c), suite::qzPath().c_str());
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(suite::waitUntil(
        5000, [&] { return suite::itemText(programs, IDC_PROGRAMS_NAMES) == L"minecraft.exe | qz.exe"; }));
    SetDlgItemTextW(programs, IDC_PROGRAMS_MINUTES + 1, L"60");
    suite::press(programs, IDOK);
    ASSERT_TRUE(suite::waitUntil(3000, [&] { return !IsWindow(programs); }));
    suite::press(dialog, IDOK);
    ASSERT_TRUE(run.waitForEnd(5000));
    const std::u16string owner = currentUserName();
    EXPECT_EQ(readLimitsText(), u"program.Игры = roblox.exe\r\n" + owner + u"/program.Игры = minecraft.exe | qz.exe\r\n" +
                                    owner + u"/program.Игры.tuesday.minutes = 60\r\nzone = " + currentTimeZoneName() +
                                    u"\r\n");
}

// Runs again on other code pages and at 144 and 192 DPI: every text fits and
// the dialog fits the screen.
class CodePageCalendarDialog : public CalendarDialog {};

TEST_F(CodePageCalendarDialog, FitsItsTextsAndTheScreen) {
    // Notepad's "ANSI" file of an older Windows: its note comes through a save whole.
    const wchar_t* note = GetACP() == 1251 ? L"; Маша" : GetACP() == 932 ? L"; 日本" : L"; Émile";
    char ansi[32] = "";
    WideCharToMultiByte(CP_ACP, 0, note, -1, ansi, sizeof ansi, nullptr, nullptr);
    ASSERT_FALSE(writeLimits(std::string(ansi) + "\r\nmonday = -\r\nzone = Ekaterinburg Standard Time\r\n").empty());
    suite::FakeControlModule module;
    suite::DialogThread run([] { openCalendar(&isUserAnAdmin); });
    HWND dialog = run.waitForWindow(title());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(suite::itemText(dialog, IDC_CALENDAR_HOURS), L"-");
    EXPECT_EQ(suite::clippedTexts(dialog), std::vector<std::wstring>{});
    RECT area{}, placed{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(dialog, &placed);
    EXPECT_TRUE(placed.left >= area.left && placed.top >= area.top && placed.right <= area.right &&
                placed.bottom <= area.bottom);
    SetDlgItemTextW(dialog, IDC_CALENDAR_MINUTES, L"60");
    suite::press(dialog, IDOK);
    ASSERT_TRUE(run.waitForEnd(5000));
    EXPECT_EQ(readLimitsText(),
              reinterpret_cast<const char16_t*>(note) +
                  std::u16string(u"\r\nmonday = -\r\nzone = Ekaterinburg Standard Time\r\nmonday.minutes = 60\r\n"));
}

// A file it cannot read whole is not taken for none: the dialog says so and
// does not open, so that no OK can overwrite it.
TEST_F(CalendarDialog, LeavesAFileItCannotReadAsItIs) {
    std::string huge;
    while (huge.size() <= (1u << 20)) huge += "; the parents' notes\r\n";
    const std::wstring limitsPath = writeLimits(huge + "monday = -\r\n");
    ASSERT_FALSE(limitsPath.empty());
    suite::DialogThread run([] { openCalendar(&isUserAnAdmin); });
    HWND box = run.waitForAnyWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(suite::windowTitle(box), title()) << "a message, not the dialog";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(run.waitForEnd(5000));
    EXPECT_EQ(suite::readBytes(limitsPath), huge + "monday = -\r\n");
}

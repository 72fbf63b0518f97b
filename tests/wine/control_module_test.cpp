// The control module's window around its logic: the tray icon, its
// double-click and its tip, the hand-over password's copies, and the
// calendar's hours on the wall clock. Its timers starting a
// scene are ScenePlayer's exercise test; the evening's logic is replayed
// natively (simulated_evening.h).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "calendar/child_limits.h"
#include "crypto/random.h"
#include "crypto/wipe.h"
#include "control/control_module_win.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

// The control module on a thread of the test; the programs it starts are the
// recorder standing in for qz.exe.
class ControlModuleRun : public ::testing::Test {
protected:
    void SetUp() override {
        suite::stopControlModules();
        suite::removeSuiteFiles();
    }

    HWND start(const Settings& settings, UINT minuteMs) {
        suite::writeSettings(settings);
        return module_.start(minuteMs);
    }

    void expectTheHoursToEndAt2030(const std::wstring& zoneLine, WORD weekday, const SYSTEMTIME& start);

    suite::RecorderFolder program_{L"program"};
    suite::ModuleThread module_;
};

bool trayIconPresent(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uFlags = NIF_TIP;
    lstrcpyW(data.szTip, L"Tolder");
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// How often the bytes occur in the readable memory of this process. The
// bytes are given masked, so that the search itself holds no copy.
constexpr uint8_t kMask = 0x5A;
size_t occurrencesInMemory(const std::vector<uint8_t>& masked) {
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    size_t found = 0;
    MEMORY_BASIC_INFORMATION region;
    for (auto at = static_cast<const uint8_t*>(nullptr); VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const uint8_t*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_COMMIT || !(region.Protect & kReadable) || (region.Protect & PAGE_GUARD)) continue;
        const auto* bytes = static_cast<const uint8_t*>(region.BaseAddress);
        for (size_t i = 0; i + masked.size() <= region.RegionSize; ++i) {
            size_t matched = 0;
            while (matched < masked.size() && (bytes[i + matched] ^ kMask) == masked[matched]) ++matched;
            if (matched == masked.size()) ++found;
        }
    }
    return found;
}

// A clock whose minute passes in half a second, from gClockStart on.
constexpr UINT kFastMinuteMs = 500;
uint64_t gClockStart = 0;
DWORD gTickStart = 0;
void fastClock(FILETIME* utc) {
    const uint64_t now = gClockStart + uint64_t{GetTickCount() - gTickStart} * (600'000'000 / kFastMinuteMs);
    *utc = {static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
}

std::mutex gTipsLock;
std::vector<std::wstring> gTips;
void noteTip(const wchar_t* tip) {
    std::lock_guard<std::mutex> lock(gTipsLock);
    gTips.push_back(tip);
}

// A module with Nessel on, whose tips are noted.
ControlModuleOptions nesselNotingTips(int16_t bedtimeMinutes) {
    Settings settings;
    settings.nesselDisabled = 0;
    settings.bedtimeMinutes = bedtimeMinutes;
    suite::writeSettings(settings);
    gTips.clear();
    ControlModuleOptions options;
    options.shutdown = [](bool) {};
    options.trayTipShown = noteTip;
    return options;
}

}  // namespace

TEST_F(ControlModuleRun, TrayIconShowsInChildModeGoesInParentsModeAndADoubleClickDisables) {
    Settings settings;
    settings.requireAdmin = 0;
    HWND window = start(settings, 60000);
    ASSERT_NE(window, nullptr);
    Sleep(300);
    EXPECT_TRUE(trayIconPresent(window));

    SendMessageW(window, WM_USER + 1, 0, WM_LBUTTONDOWN);
    Sleep(800);
    EXPECT_EQ(program_.recorded(), L"");
    // The right button's menu: its first item asks for 15 minutes of extra time,
    SendMessageW(window, WM_USER + 1, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(
        suite::waitUntil(3000, [&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }));
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(program_.waitFor(L"/extra:15", 1, 3000)) << program_.recorded();
    // Its last item opens the parents' week.
    SendMessageW(window, WM_USER + 1, 0, WM_RBUTTONUP);
    ASSERT_TRUE(
        suite::waitUntil(3000, [&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }));
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(program_.waitFor(L"/calendar", 1, 3000)) << program_.recorded();
    SendMessageW(window, WM_USER + 1, 0, WM_LBUTTONDBLCLK);
    DWORD clicked = GetTickCount();
    ASSERT_TRUE(program_.waitFor(L"/disable", 1, 3000));
    EXPECT_GE(GetTickCount() - clicked, 400u);

    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L""), 0);
    EXPECT_EQ(queryMode(), 0);
    EXPECT_FALSE(trayIconPresent(window));
}

// The module takes a password through the hand-over file and checks it; no
// copy of it stays anywhere in the process afterwards (the test sends it
// from the same process, without copying it).
TEST_F(ControlModuleRun, APasswordLeavesNoCopyInMemory) {
    std::u16string password(24, u'a');
    uint8_t random[24];
    randomBytes(random, sizeof random);
    // The second half is looked for: a freed block's first bytes are the heap's own.
    std::vector<uint8_t> masked;
    for (size_t i = 0; i < password.size(); ++i) {
        password[i] = static_cast<char16_t>(u'a' + random[i] % 26);
        if (i < password.size() / 2) continue;
        masked.push_back(static_cast<uint8_t>(password[i]) ^ kMask);
        masked.push_back(static_cast<uint8_t>(password[i] >> 8) ^ kMask);
    }
    wipeMemory(random, sizeof random);
    ASSERT_TRUE(storePassword(password));
    Settings settings;
    settings.requireAdmin = 0;
    ASSERT_NE(start(settings, 60000), nullptr);

    EXPECT_EQ(sendControlCommand(kCommandParents, 1, reinterpret_cast<const wchar_t*>(password.c_str())), 0);
    wipeText(password);
    EXPECT_EQ(occurrencesInMemory(masked), 0u);
    EXPECT_EQ(queryMode(), 0) << "the password was taken";
}

// A limits file (with its zone line) that ends the hours of the day at 20:30,
// and a module started at `start`, 20:15 on that day's wall clock: the icon's
// tip counts down to the turn-off scene, which comes at 20:30 (minutes of half
// a second).
void ControlModuleRun::expectTheHoursToEndAt2030(const std::wstring& zoneLine, WORD weekday, const SYSTEMTIME& start) {
    const std::u16string day = weekdayKey((weekday + 6) % 7);  // from Sunday's 0 to Monday's
    ASSERT_NE(suite::writeLimits(zoneLine + std::wstring(day.begin(), day.end()) + L" = 15:00-20:30\r\n"), L"");
    FILETIME utc;
    ASSERT_TRUE(SystemTimeToFileTime(&start, &utc));
    ControlModuleOptions options = nesselNotingTips(600);
    options.minuteMs = kFastMinuteMs;
    options.readClock = fastClock;
    gClockStart = (uint64_t{utc.dwHighDateTime} << 32) | utc.dwLowDateTime;
    gTickStart = GetTickCount();
    ASSERT_NE(module_.start(options), nullptr);
    EXPECT_TRUE(program_.waitFor(L"/show:nessel-turnoff", 1, 15 * kFastMinuteMs + 5000)) << program_.recorded();
    module_.stop();
    ASSERT_GE(gTips.size(), 3u);
    EXPECT_EQ(gTips.front(), L"Tolder: осталось 15 мин., выключение в 20:33");
    EXPECT_EQ(gTips[1], L"Tolder: осталось 14 мин., выключение в 20:33");
    EXPECT_EQ(gTips.back(), L"Tolder: время вышло, компьютер выключается");
}

// The wall clock by Windows' rules for the computer's zone.
TEST_F(ControlModuleRun, TheCalendarsHoursEndWithTheTurnOffSceneAndTheTipCountsDown) {
    SYSTEMTIME local, universal;
    GetLocalTime(&local);
    local.wHour = 20;
    local.wMinute = 15;
    local.wSecond = local.wMilliseconds = 0;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal));
    expectTheHoursToEndAt2030(L"", local.wDayOfWeek, universal);
}

// The zone the parents saved (five hours ahead of UTC all year), not the
// computer's, which a child may change: these machines' is UTC.
TEST_F(ControlModuleRun, TheCalendarKeepsTheZoneItWasSavedIn) {
    SYSTEMTIME universal;
    GetSystemTime(&universal);
    universal.wHour = 15;
    universal.wMinute = 15;
    universal.wSecond = universal.wMilliseconds = 0;
    expectTheHoursToEndAt2030(L"zone = Ekaterinburg Standard Time\r\n", universal.wDayOfWeek, universal);
}

// "/extra:30" with the parents' password: the grant goes where only
// administrators write, and the module's tip counts the 30 minutes on top of
// the 45 of the allowance.
TEST_F(ControlModuleRun, ExtraTimeFromTheCommandLineTakesThePasswordAndReachesTheModule) {
    ASSERT_TRUE(storePassword(u"pw"));
    ASSERT_NE(module_.start(nesselNotingTips(45)), nullptr);
    ASSERT_TRUE(suite::runAnsweringPassword(L"/extra:30", L"pw"));
    EXPECT_TRUE(suite::waitUntil(3000, [] {
        std::lock_guard<std::mutex> lock(gTipsLock);
        return !gTips.empty() && gTips.back().rfind(L"Tolder: осталось 75 мин.", 0) == 0;
    }));
}

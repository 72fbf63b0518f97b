#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "content/random.h"
#include "content/wipe.h"
#include "control/control_module_win.h"
#include "control/state_record.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

std::mutex gShutdownsLock;
std::vector<bool> gShutdowns;  // the force flag of each request

void recordShutdown(bool force) {
    std::lock_guard<std::mutex> hold(gShutdownsLock);
    gShutdowns.push_back(force);
}

std::vector<bool> shutdowns() {
    std::lock_guard<std::mutex> hold(gShutdownsLock);
    return gShutdowns;
}

constexpr int64_t kUnitsPerMinute = 600'000'000;
std::atomic<int64_t> gClockShift{0};  // added to the system clock the module reads
std::atomic<int> gClockReads{0};      // one a minute tick, one a command

uint64_t systemUtc() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void shiftedClock(FILETIME* utc) {
    ++gClockReads;
    uint64_t shifted = systemUtc() + gClockShift.load();
    utc->dwLowDateTime = static_cast<DWORD>(shifted);
    utc->dwHighDateTime = static_cast<DWORD>(shifted >> 32);
}

// Waits until the module has read its clock `times` more times.
bool waitForClockReads(int times) {
    const int target = gClockReads + times;
    for (DWORD started = GetTickCount(); GetTickCount() - started < 10000; Sleep(10))
        if (gClockReads >= target) return true;
    return false;
}

// Runs the control module on a thread of the test with a short minute; the
// programs it starts are a recorder standing in for qz.exe.
class ControlModuleRun : public ::testing::Test {
protected:
    void SetUp() override {
        suite::stopControlModules();
        suite::removeSuiteFiles();
        gShutdowns.clear();
        gClockShift = 0;
        folder_ = std::wstring(dataLocations().tempFolder()) + L"program";
        CreateDirectoryW(folder_.c_str(), nullptr);
        DeleteFileW(log().c_str());
        CopyFileW((suite::binDir() + L"\\recorder.exe").c_str(), (folder_ + L"\\qz.exe").c_str(), FALSE);
        GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
        SetCurrentDirectoryW(folder_.c_str());
    }

    void TearDown() override {
        stop();
        SetCurrentDirectoryW(savedDirectory_);
    }

    void writeSettings(const Settings& settings) {
        std::vector<uint8_t> image;
        settings.save(image);
        suite::writeBytes(dataLocations().settingsPath(), std::string(image.begin(), image.end()));
    }

    HWND start(UINT minuteMs) {
        ControlModuleOptions options;
        options.minuteMs = minuteMs;
        options.shutdown = &recordShutdown;
        options.readClock = &shiftedClock;
        return module_.start(options);
    }

    void stop() { module_.stop(); }

    static StateRecord storedState() {
        StateRecord record;
        std::string bytes = suite::readBytes(dataLocations().statePath());
        if (bytes.size() == kStateRecordSize)
            decodeStateRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record);
        return record;
    }

    std::wstring log() const { return folder_ + L"\\qz.exe.log"; }
    std::wstring recorded() const {
        std::string bytes = suite::readBytes(log());
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    static size_t count(const std::wstring& text, const std::wstring& part) {
        size_t found = 0;
        for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++found;
        return found;
    }
    bool waitFor(const wchar_t* part, size_t times, DWORD timeoutMs) const {
        for (DWORD started = GetTickCount(); GetTickCount() - started < timeoutMs; Sleep(20))
            if (count(recorded(), part) >= times) return true;
        return false;
    }

    // Keeps the user "at the computer": input every 50 ms while it lives.
    class Fidget {
    public:
        Fidget() {
            thread_ = std::thread([this] {
                while (!stop_) {
                    INPUT input{};
                    input.type = INPUT_MOUSE;
                    input.mi.dx = 1;
                    input.mi.dwFlags = MOUSEEVENTF_MOVE;
                    SendInput(1, &input, sizeof input);
                    Sleep(50);
                }
            });
        }
        ~Fidget() {
            stop_ = true;
            thread_.join();
        }

    private:
        std::atomic<bool> stop_{false};
        std::thread thread_;
    };

    std::wstring folder_;
    wchar_t savedDirectory_[MAX_PATH] = L"";
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

}  // namespace

TEST_F(ControlModuleRun, NesselPlaysTheTurnOffSceneThenAsksForShutdownAndForcesIt) {
    Settings settings;
    settings.nesselDisabled = 0;
    settings.bedtimeMinutes = 2;
    writeSettings(settings);
    Fidget user;
    ASSERT_NE(start(100), nullptr);

    for (DWORD started = GetTickCount(); shutdowns().size() < 2 && GetTickCount() - started < 10000;) Sleep(20);
    EXPECT_EQ(shutdowns(), (std::vector<bool>{false, true}));
    EXPECT_EQ(count(recorded(), L"/show:nessel-turnoff"), 1u);
}

TEST_F(ControlModuleRun, HopsaStartsTheFirstExerciseAndRestartsALostOne) {
    Settings settings;
    settings.hopsaDisabled = 0;
    settings.exerciseInterval = 1;
    writeSettings(settings);
    HWND window = start(100);
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(waitFor(L"/show:hopsa-first", 1, 3000));
    EXPECT_NE(recorded().find(L"\nshow 1\n"), std::wstring::npos) << "scenes start shown normally";
    SendMessageW(window, kControlMessage, kCommandTikkoStart, 0);  // the scene starts, then falls silent
    DWORD silent = GetTickCount();
    ASSERT_TRUE(waitFor(L"/show:hopsa-usual", 1, 6000));
    DWORD noticed = GetTickCount() - silent;
    EXPECT_GE(noticed, 2900u);
    EXPECT_LE(noticed, 4500u);
    EXPECT_EQ(count(recorded(), L"/show:hopsa-first"), 1u);
}

TEST_F(ControlModuleRun, NoListedUserMeansNothingCountedAndNoIcon) {
    Settings settings;
    settings.hopsaDisabled = 0;
    settings.exerciseInterval = 1;
    settings.selectedUsersOnly = 1;
    writeSettings(settings);
    HWND window = start(100);
    ASSERT_NE(window, nullptr);
    Sleep(800);
    EXPECT_EQ(recorded(), L"");
    EXPECT_FALSE(trayIconPresent(window));
}

TEST_F(ControlModuleRun, TrayIconShowsInChildModeGoesInParentsModeAndADoubleClickDisables) {
    Settings settings;
    settings.requireAdmin = 0;
    writeSettings(settings);
    HWND window = start(60000);
    ASSERT_NE(window, nullptr);
    Sleep(300);
    EXPECT_TRUE(trayIconPresent(window));

    SendMessageW(window, WM_USER + 1, 0, WM_LBUTTONDOWN);
    SendMessageW(window, WM_USER + 1, 0, WM_RBUTTONUP);
    Sleep(800);
    EXPECT_EQ(recorded(), L"");
    SendMessageW(window, WM_USER + 1, 0, WM_LBUTTONDBLCLK);
    DWORD clicked = GetTickCount();
    ASSERT_TRUE(waitFor(L"/disable", 1, 3000));
    EXPECT_GE(GetTickCount() - clicked, 400u);

    EXPECT_EQ(sendControlCommand(kCommandParents, 1, L""), 0);
    EXPECT_EQ(queryMode(), 0);
    EXPECT_FALSE(trayIconPresent(window));
}

// Two hours of stand-by are a break that restores Nessel's allowance and rests
// Hopsa; a clock set back two hours afterwards changes nothing but the dates.
// The module keeps its state file locked, so it is read after each run.
TEST_F(ControlModuleRun, TheClockMovedForwardIsABreakAndMovedBackIsNot) {
    Settings settings;
    settings.nesselDisabled = 0;
    settings.hopsaDisabled = 0;
    settings.tolderDisabled = 1;
    settings.bedtimeMinutes = 30000;
    settings.exerciseInterval = 30000;
    writeSettings(settings);
    StateRecord seeded;
    seeded.lastActive = seeded.lastAwake = systemUtc();
    seeded.nesselMinutes = 20000;
    seeded.hopsaMinutes = 20000;
    seeded.firstExerciseDone = true;
    StateImage image = encodeStateRecord(seeded);
    ASSERT_TRUE(suite::writeBytes(dataLocations().statePath(), std::string(image.begin(), image.end())));

    ASSERT_NE(start(100), nullptr);
    ASSERT_TRUE(waitForClockReads(4));
    gClockShift = 120 * kUnitsPerMinute;
    ASSERT_TRUE(waitForClockReads(4));
    stop();
    StateRecord rested = storedState();
    EXPECT_GT(rested.nesselMinutes, 0);
    EXPECT_LT(rested.nesselMinutes, 100);
    EXPECT_LT(rested.hopsaMinutes, 100);
    EXPECT_GT(rested.lastActive, systemUtc() + 119 * kUnitsPerMinute);

    ASSERT_NE(start(100), nullptr);
    ASSERT_TRUE(waitForClockReads(2));
    gClockShift = 0;
    ASSERT_TRUE(waitForClockReads(4));
    EXPECT_EQ(queryMode(), 1);
    stop();
    StateRecord setBack = storedState();
    EXPECT_GT(setBack.nesselMinutes, rested.nesselMinutes);
    EXPECT_LT(setBack.nesselMinutes, 100);
    EXPECT_GT(setBack.hopsaMinutes, rested.hopsaMinutes);
    EXPECT_LE(setBack.lastActive, systemUtc());
    EXPECT_GT(setBack.lastActive, systemUtc() - kUnitsPerMinute);
    EXPECT_EQ(recorded(), L"");
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
    writeSettings(settings);
    ASSERT_NE(start(60000), nullptr);

    EXPECT_EQ(sendControlCommand(kCommandParents, 1, reinterpret_cast<const wchar_t*>(password.c_str())), 0);
    wipeText(password);
    EXPECT_EQ(occurrencesInMemory(masked), 0u);
    EXPECT_EQ(queryMode(), 0) << "the password was taken";
}

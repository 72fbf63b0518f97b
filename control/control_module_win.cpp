#include "control/control_module_win.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>
#include <memory>
#include <optional>
#include <vector>

#include "content/wipe.h"
#include "control/control_core.h"
#include "control/control_host.h"
#include "control/controlled_user_win.h"
#include "control/extra_time.h"
#include "shell/hand_over_password_win.h"
#include "control/last_input_win.h"
#include "control/limits_file_win.h"
#include "control/local_time_win.h"
#include "control/session_notifications_win.h"
#include "control/shutdown_win.h"
#include "control/state_file_win.h"
#include "control/usage_ledger_file_win.h"
#include "control/tray_icon_win.h"
#include "control/video_title_win.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "common/whole_file_win.h"
#include "shell/control_channel_win.h"
#include "shell/data_locations_win.h"
#include "shell/guard_channel_win.h"
#include "shell/guard_presence_win.h"
#include "shell/messages_win.h"
#include "shell/start_program_win.h"
#include "ui/dialog_win.h"
#include "ui/suite_icon_win.h"

namespace {

constexpr DWORD kNameHolderLookMs = 250;

bool moduleWindowAppears(DWORD waitMs) {
    for (DWORD waited = 0;; waited += kNameHolderLookMs) {
        if (findSuiteWindow(kControlWindowTitle)) return true;
        if (waited >= waitMs) return false;
        Sleep(kNameHolderLookMs);
    }
}

// Another module's window with a lower handle value than this one's: a rule
// on which every module of the session agrees.
bool lowerModuleWindowExists(HWND own) {
    for (HWND window = FindWindowW(nullptr, kControlWindowTitle); window;
         window = FindWindowExW(nullptr, window, nullptr, kControlWindowTitle))
        if (reinterpret_cast<uintptr_t>(window) < reinterpret_cast<uintptr_t>(own) && passesWindowTest(window))
            return true;
    return false;
}

constexpr UINT kShowExtraTimeMenu = WM_APP + 20;

enum Timer : UINT_PTR {
    kFirstTrayRefresh = 0,
    kMinute = 1,
    kSceneWatchdog = 2,
    kTolderSecond = 4,
    kDelayedDisable = 5,
};

// The never-shown dialog whose title every other process looks for. It owns
// the timers and the state file; the logic lives in ControlCore.
class ControlModule : public Dialog, private ControlHost {
public:
    ControlModule(const ControlModuleOptions& options, bool withoutName, bool guards)
        : Dialog(IDD_CONTROL_MODULE),
          options_(options),
          withoutName_(withoutName),
          guards_(guards),
          core_(*this, currentUserName()) {
        keepHidden();
    }

    ~ControlModule() override {
        forgetLastProgram();
        if (smallIcon_) DestroyIcon(smallIcon_);
        if (largeIcon_) DestroyIcon(largeIcon_);
    }

protected:
    bool onInitDialog() override {
        SetWindowTextW(hwnd(), kControlWindowTitle);
        SetWindowPos(hwnd(), nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
        letControlMessageIn(hwnd());
        // The icon's clicks come from the shell, which runs at the user's own level.
        letMessageIn(hwnd(), kTrayCallbackMessage);
        smallIcon_ = loadSuiteIcon(true);
        largeIcon_ = loadSuiteIcon(false);
        registerSessionNotifications(hwnd());
        stateFile_ = std::make_unique<StateFile>(dataLocations().statePath());
        core_.start(currentMoment());
        setTimer(kFirstTrayRefresh, 0);
        setTimer(kMinute, options_.minuteMs);
        return true;
    }

    void onTimer(UINT_PTR id) override {
        switch (id) {
        case kFirstTrayRefresh:
            killTimer(kFirstTrayRefresh);
            core_.refreshTrayIcon();
            break;
        case kMinute:
            // Modules that found the name taken and started at once all run:
            // all but one give way. Where the guard runs, the module it
            // started for a controlled user is the session's, and no other.
            if (!guards_ && ((withoutName_ && lowerModuleWindowExists(hwnd())) ||
                             (core_.isActive() && guardChannelOpen() && runningGuardProcess() != 0))) {
                endDialog(IDOK);
                return;
            }
            core_.minuteTick(currentMoment());
            break;
        case kSceneWatchdog: core_.watchdogTick(currentMoment()); break;
        case kTolderSecond: core_.tolderSecondTick(currentMoment()); break;
        case kDelayedDisable:
            killTimer(kDelayedDisable);
            ::startProgram(L"qz.exe", L"/disable", SW_SHOWNORMAL);
            break;
        }
        ShowWindow(hwnd(), SW_HIDE);
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case kControlMessage: {
            int code = static_cast<int>(wParam);
            auto argument = static_cast<uint32_t>(lParam);
            std::u16string password =
                ControlCore::carriesPassword(code, argument) ? takeHandOverPassword() : std::u16string();
            result = core_.command(code, argument, password, currentMoment());
            wipeText(password);
            return true;
        }
        case WM_WTSSESSION_CHANGE:
            core_.sessionChanged(static_cast<uint32_t>(wParam));
            result = 0;
            return true;
        case kTrayCallbackMessage:
            if (lParam == WM_LBUTTONDBLCLK) setTimer(kDelayedDisable, 500);
            // The menu's own message loop runs after the shell's call has returned.
            if (lParam == WM_RBUTTONUP) PostMessageW(hwnd(), kShowExtraTimeMenu, 0, 0);
            result = 0;
            return true;
        case kShowExtraTimeMenu:
            showExtraTimeMenu();
            result = 0;
            return true;
        case WM_PAINT: ShowWindow(hwnd(), SW_HIDE); return false;
        case WM_QUERYDRAGICON: result = reinterpret_cast<LRESULT>(largeIcon_); return true;
        case WM_DESTROY:
            stateFile_.reset();
            unregisterSessionNotifications(hwnd());
            return false;
        }
        return false;
    }

private:
    uint32_t lastInputTick() override { return ::lastInputTick(); }
    bool isVideoPlaying() override { return ::isVideoPlaying(); }

    void loadSettings(Settings& settings) override {
        std::vector<uint8_t> image;
        readWholeFile(dataLocations().settingsPath(), image);
        settings.load(image);
    }

    bool checkPassword(std::u16string_view password) override {
        // Where the guard runs, the parents gave it their password; the
        // digest is theirs alone to read.
        if (guards_) {
            const std::optional<GuardAnswer> guard = askGuard(GuardQuestion{GuardAsk::TakeGrant, {}});
            if (guard) return guard->yes;
        }
        std::u16string copy(password);
        const bool accepted = ::checkPassword(copy);
        wipeText(copy);
        return accepted;
    }
    uint32_t newChallenge() override { return drawChallenge(nullptr); }

    size_t readState(uint8_t* bytes, size_t capacity) override {
        return stateFile_ ? stateFile_->read(bytes, capacity) : 0;
    }
    void writeState(const StateImage& image) override {
        if (stateFile_) stateFile_->write(image);
    }
    size_t readLedger(uint8_t* bytes, size_t capacity) override { return readOwnLedger(L"dat", bytes, capacity); }
    size_t readCalendarLedger(uint8_t* bytes, size_t capacity) override {
        return readOwnLedger(L"cal", bytes, capacity);
    }
    uint64_t readExtraTime() override {
        ExtraTimeImage image{};
        return decodeExtraTime(image.data(), readOwnLedger(L"extra", image.data(), image.size()));
    }
    static size_t readOwnLedger(const wchar_t* extension, uint8_t* bytes, size_t capacity) {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
        wchar_t path[MAX_PATH];
        const bool found = ledgerPathOf(token, path, extension);
        CloseHandle(token);
        return found ? readLedgerFile(path, bytes, capacity) : 0;
    }

    LocalMinute localMinute(uint64_t utc, const std::u16string& zone) override { return localMinuteOf(utc, zone); }
    // Held open by another program, the limits read last stand.
    std::u16string readLimits() override {
        if (std::optional<std::u16string> text = readLimitsText()) limits_ = *text;
        return limits_;
    }
    size_t readCalendar(uint8_t* bytes, size_t capacity) override {
        std::vector<uint8_t> image;
        const size_t size = std::min<size_t>(readWholeFile(dataLocations().calendarPath(), image), capacity);
        std::copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size), bytes);
        return size;
    }
    void writeCalendar(const CalendarImage& image) override {
        writeWholeFile(dataLocations().calendarPath(), image.data(), static_cast<DWORD>(image.size()));
    }

    bool startProgram(std::u16string_view file, std::u16string_view parameters) override {
        std::wstring wideFile(file.begin(), file.end()), wideParameters(parameters.begin(), parameters.end());
        forgetLastProgram();
        lastProgram_ = startProcess(wideFile.c_str(), wideParameters.c_str(), SW_SHOWNORMAL);
        return lastProgram_ != nullptr;
    }
    void endLastProgram() override {
        if (lastProgram_ && WaitForSingleObject(lastProgram_, 0) == WAIT_TIMEOUT) TerminateProcess(lastProgram_, 1);
        forgetLastProgram();
    }
    void forgetLastProgram() {
        if (lastProgram_) CloseHandle(lastProgram_);
        lastProgram_ = nullptr;
    }

    void restartSceneWatchdog() override {
        killTimer(kSceneWatchdog);
        setTimer(kSceneWatchdog, options_.secondMs);
    }
    void stopSceneWatchdog() override { killTimer(kSceneWatchdog); }
    void startTolderTimer() override { setTimer(kTolderSecond, options_.secondMs); }
    void stopTolderTimer() override { killTimer(kTolderSecond); }

    void requestShutdown(bool force) override {
        if (options_.shutdown)
            options_.shutdown(force);
        else
            ::requestShutdown(force);
    }

    void showTrayIcon(bool shown) override {
        trayShown_ = shown;
        ::showTrayIcon(hwnd(), smallIcon_, shown, tip_.empty() ? caption().c_str() : tip_.c_str());
    }
    void showTimeLeft(int32_t minutesLeft, int32_t offMinuteOfDay) override {
        std::wstring tip = caption();
        if (minutesLeft == 0) {
            tip = loadedString(IDS_TIME_UP);
        } else if (minutesLeft > 0) {
            wchar_t text[64];
            std::swprintf(text, 64, loadedString(IDS_TIME_LEFT).c_str(), minutesLeft, offMinuteOfDay / 60,
                          offMinuteOfDay % 60);
            tip = text;
        }
        if (tip == tip_) return;
        tip_ = tip;
        if (trayShown_) setTrayTip(hwnd(), tip_.c_str());
        if (options_.trayTipShown) options_.trayTipShown(tip_.c_str());
    }
    void warnTimeLeft(int32_t minutesLeft) override {
        wchar_t text[256];
        std::swprintf(text, 256, loadedString(IDS_TIME_WARNING).c_str(), minutesLeft);
        showTrayBalloon(hwnd(), loadedString(IDS_TIME_WARNING_TITLE).c_str(), text);
    }
    // The parents' extra time and their week, from the icon's menu: the sender
    // and the dialog ask for the password.
    static constexpr UINT kCalendarItem = 1;
    void showExtraTimeMenu() {
        HMENU menu = CreatePopupMenu();
        if (!menu) return;
        for (UINT minutes : {15u, 30u, 60u}) {
            wchar_t text[64];
            std::swprintf(text, 64, loadedString(IDS_EXTRA_TIME_ITEM).c_str(), minutes);
            AppendMenuW(menu, MF_STRING, minutes, text);
        }
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kCalendarItem, loadedString(IDS_CALENDAR_ITEM).c_str());
        POINT at{};
        GetCursorPos(&at);
        SetForegroundWindow(hwnd());  // so that a click elsewhere closes the menu
        const UINT chosen = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr));
        PostMessageW(hwnd(), WM_NULL, 0, 0);
        DestroyMenu(menu);
        if (chosen == kCalendarItem)
            ::startProgram(L"qz.exe", L"/calendar", SW_SHOWNORMAL);
        else if (chosen)
            ::startProgram(L"qz.exe", (L"/extra:" + std::to_wstring(chosen)).c_str(), SW_SHOWNORMAL);
    }
    static std::wstring caption() { return loadedString(IDS_MODULE_CAPTION); }

    void endModule() override { endDialog(IDOK); }

    Moment currentMoment() const {
        FILETIME utc;
        if (options_.readClock)
            options_.readClock(&utc);
        else
            GetSystemTimeAsFileTime(&utc);
        return {(static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime, GetTickCount()};
    }

    ControlModuleOptions options_;
    const bool withoutName_;
    const bool guards_;  // the guard started this module
    ControlCore core_;
    std::unique_ptr<StateFile> stateFile_;
    HANDLE lastProgram_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON largeIcon_ = nullptr;
    bool trayShown_ = false;
    std::wstring tip_;  // empty until the first time left
    std::u16string limits_;
};

}  // namespace

void runControlModule() { runControlModule(ControlModuleOptions{}); }

void runControlModule(const ControlModuleOptions& options) {
    // One module per session: modules started at once all miss each other's
    // window, but only one of them creates the mutex. Any process of the
    // session can take the name first, though: where it is taken, the holder
    // counts as a module only when a module's window answers the window test
    // within the wait. The window test also finds a module of an older
    // installation, which holds no mutex. The module the guard started gives
    // way to no window: any program can make one of that title.
    HANDLE oneModule = CreateMutexW(nullptr, FALSE, kOneModuleMutex);
    const bool nameTaken = !oneModule || GetLastError() == ERROR_ALREADY_EXISTS;
    const bool guards = startedByGuard();
    if (guards || !moduleWindowAppears(nameTaken ? options.nameHolderWaitMs : 0)) {
        ControlModule module(options, nameTaken, guards);
        module.runModal();
    }
    if (oneModule) CloseHandle(oneModule);
}

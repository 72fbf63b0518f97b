#include "control/control_module_win.h"

#include <cstdint>
#include <optional>
#include <string>

#include "crypto/wipe.h"
#include "control/control_core.h"
#include "control/controlled_user_win.h"
#include "control/module_host_win.h"
#include "control/module_tray_win.h"
#include "control/program_windows_win.h"
#include "control/screen_sight_win.h"
#include "control/time_request_form_win.h"
#include "control/session_notifications_win.h"
#include "control/tray_icon_win.h"
#include "resources/resource_ids.h"
#include "shell/control_channel_win.h"
#include "shell/guard_channel_win.h"
#include "shell/guard_presence_win.h"
#include "shell/hand_over_password_win.h"
#include "shell/start_program_win.h"
#include "ui/dialog_win.h"

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

constexpr UINT kShowTrayMenu = WM_APP + 20;
// A double click on the icon turns control off a moment later: the click
// finishes before the new process's password prompt appears.
constexpr UINT kDisableAfterDoubleClickMs = 500;

enum Timer : UINT_PTR {
    kFirstTrayRefresh = 0,
    kMinute = 1,
    kSceneWatchdog = 2,
    kTolderSecond = 4,
    kDelayedDisable = 5,
    kScreenSight = 6,
};
// The guard counts a limited program's time between two of its looks, two
// seconds apart, that both saw it on the screen.
constexpr UINT kScreenSightMs = 2000;

// The never-shown dialog whose title every other process looks for. It owns
// the timers and the icon; the logic lives in ControlCore, the system's side
// in ModuleHost.
class ControlModule : public Dialog, private ModuleHost {
public:
    ControlModule(const ControlModuleOptions& options, bool withoutName, bool guards)
        : Dialog(IDD_CONTROL_MODULE),
          ModuleHost(options, guards),
          withoutName_(withoutName),
          tray_(options.trayTipShown),
          core_(*this, currentUserName()) {
        keepHidden();
    }

protected:
    bool onInitDialog() override {
        SetWindowTextW(hwnd(), kControlWindowTitle);
        SetWindowPos(hwnd(), nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
        letControlMessageIn(hwnd());
        // The icon's clicks come from the shell, which runs at the user's own level.
        letMessageIn(hwnd(), kTrayCallbackMessage);
        tray_.attach(hwnd());
        registerSessionNotifications(hwnd());
        openStateFile();
        core_.start(currentMoment());
        setTimer(kFirstTrayRefresh, 0);
        setTimer(kMinute, options_.minuteMs);
        if (guards_) setTimer(kScreenSight, kScreenSightMs);
        const std::optional<TimeRequest> asked = keptRequest();
        grantSeen_ = asked && asked->granted ? asked->at : 0;
        return true;
    }

    void onTimer(UINT_PTR id) override {
        switch (id) {
        case kFirstTrayRefresh:
            killTimer(kFirstTrayRefresh);
            core_.refreshTrayIcon();
            break;
        case kMinute:
            if (givesWay()) {
                endDialog(IDOK);
                return;
            }
            core_.minuteTick(currentMoment());
            tellOfGrant();
            break;
        case kSceneWatchdog: core_.watchdogTick(currentMoment()); break;
        case kTolderSecond: core_.tolderSecondTick(currentMoment()); break;
        case kScreenSight:
            if (const std::optional<GuardAnswer> answer = askGuard(screenSight())) followNote(*answer);
            break;
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
            if (lParam == WM_LBUTTONDBLCLK) setTimer(kDelayedDisable, kDisableAfterDoubleClickMs);
            // The menu's own message loop runs after the shell's call has returned.
            if (lParam == WM_RBUTTONUP) PostMessageW(hwnd(), kShowTrayMenu, 0, 0);
            result = 0;
            return true;
        case kShowTrayMenu:
            if (tray_.showMenu(guards_, keptRequest())) askForTime();
            result = 0;
            return true;
        case WM_PAINT: ShowWindow(hwnd(), SW_HIDE); return false;
        case WM_QUERYDRAGICON: result = reinterpret_cast<LRESULT>(tray_.largeIcon()); return true;
        case WM_DESTROY:
            closeStateFile();
            unregisterSessionNotifications(hwnd());
            return false;
        }
        return false;
    }

private:
    // Modules that found the name taken and started at once all run: all but
    // one give way. Where the guard runs, the module it started for a
    // controlled user is the session's, and no other: not one it did not
    // start, nor one an earlier guard started before it was restarted.
    bool givesWay() {
        if (guards_) {
            const std::optional<GuardAnswer> guard = askGuard(GuardQuestion{GuardAsk::Module, {}});
            return guard && guard->moduleProcess != 0 && guard->moduleProcess != GetCurrentProcessId();
        }
        return (withoutName_ && lowerModuleWindowExists(hwnd())) ||
               (core_.isActive() && guardChannelOpen() && runningGuardProcess() != 0);
    }

    // What the guard has this module say or do for a program the parents limit.
    void followNote(const GuardAnswer& answer) {
        switch (answer.note) {
        case GuardNote::ProgramWarning: tray_.tellOfProgram(IDS_PROGRAM_WARNING, answer.noteValue); break;
        case GuardNote::ProgramClose:
            askWindowsToClose(answer.noteValue);
            tray_.tellOfProgram(IDS_PROGRAM_CLOSING, 0);
            break;
        case GuardNote::ProgramEnded: tray_.tellOfProgram(IDS_PROGRAM_ENDED, 0); break;
        case GuardNote::None: break;
        }
    }

    // The child asks the parents, through the guard, which keeps the request.
    void askForTime() {
        TimeRequestForm form(hwnd());
        if (form.runModal() != IDOK) return;
        const std::optional<GuardAnswer> sent =
            askGuard(GuardQuestion{GuardAsk::Request, form.reason(), static_cast<uint32_t>(form.minutes())});
        tray_.tellOfRequest(sent && sent->yes ? IDS_ASK_SENT : IDS_ASK_FAILED);
    }
    // Once for each request the parents answered with extra time.
    void tellOfGrant() {
        const std::optional<TimeRequest> asked = keptRequest();
        if (!asked || !asked->granted || asked->at == grantSeen_) return;
        grantSeen_ = asked->at;
        tray_.tellOfRequest(IDS_ASK_GRANTED);
    }

    void restartSceneWatchdog() override {
        killTimer(kSceneWatchdog);
        setTimer(kSceneWatchdog, options_.secondMs);
    }
    void stopSceneWatchdog() override { killTimer(kSceneWatchdog); }
    void startTolderTimer() override { setTimer(kTolderSecond, options_.secondMs); }
    void stopTolderTimer() override { killTimer(kTolderSecond); }
    void showTrayIcon(bool shown) override { tray_.show(shown); }
    void showTimeLeft(int32_t minutesLeft, int32_t offMinuteOfDay) override {
        tray_.showTimeLeft(minutesLeft, offMinuteOfDay);
    }
    void warnTimeLeft(int32_t minutesLeft) override { tray_.warn(minutesLeft); }
    void endModule() override { endDialog(IDOK); }

    Moment currentMoment() const {
        FILETIME utc;
        if (options_.readClock)
            options_.readClock(&utc);
        else
            GetSystemTimeAsFileTime(&utc);
        return {(static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime, GetTickCount()};
    }

    const bool withoutName_;
    uint64_t grantSeen_ = 0;  // the request whose grant the child was told of
    ModuleTray tray_;
    ControlCore core_;
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

#include "shell/control_channel_win.h"

#include <cwchar>
#include <optional>

#include "common/text_win.h"
#include "crypto/random.h"
#include "crypto/wipe.h"
#include "shell/hand_over_file_win.h"
#include "shell/privileges_win.h"
#include "shell/control_commands.h"
#include "shell/control_module_start_win.h"
#include "shell/guard_channel_win.h"
#include "shell/guard_presence_win.h"
#include "shell/window_user_win.h"

namespace {

constexpr int kLocateAttempts = 32;
constexpr DWORD kLocatePauseMs = 250;
constexpr UINT kTestTimeoutMs = 5000;

HWND gCachedControlWindow = nullptr;

}  // namespace

bool passesWindowTest(HWND window) {
    uint32_t challenge = drawChallenge(nullptr);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, kControlMessage, kCommandTestQuery, challenge, SMTO_ABORTIFHUNG, kTestTimeoutMs,
                             &answer))
        return false;
    return static_cast<uint32_t>(answer) == proof(challenge);
}

namespace {

// Resolved at run time: Windows XP has no filter, Vista only the process-wide one.
void letControlMessageInAboveMedium(HWND window) { letMessageIn(window, kControlMessage); }

}  // namespace

void (*letControlMessageIn)(HWND) = &letControlMessageInAboveMedium;

void letMessageIn(HWND window, UINT message) {
    if (!runsAboveMediumIntegrity()) return;
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD of the process-wide form
    using WindowFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ProcessFilterFn = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (auto filter = reinterpret_cast<WindowFilterFn>(GetProcAddress(user, "ChangeWindowMessageFilterEx")))
        filter(window, message, kAllow, nullptr);
    else if (auto processFilter = reinterpret_cast<ProcessFilterFn>(GetProcAddress(user, "ChangeWindowMessageFilter")))
        processFilter(message, kAllow);
}

bool (*controlWindowUser)(HWND, WindowUser&) = &findWindowUser;

HWND findSuiteWindow(const wchar_t* title) {
    for (HWND window = FindWindowW(nullptr, title); window; window = FindWindowExW(nullptr, window, nullptr, title))
        if (passesWindowTest(window)) return window;
    return nullptr;
}

namespace {

// The control module's window where one is found, and whether the guard
// answers for the session's module: then nobody but the guard starts one.
struct ModuleLook {
    HWND window = nullptr;
    bool guardsIt = false;
};

ModuleLook lookForControlWindow() {
    // Where the guard runs, its module is the session's: any program can make
    // a window of that title and answer the window test. A guard whose
    // channel does not answer (held busy) names no module, and no other
    // window stands in for its module meanwhile.
    const std::optional<GuardAnswer> guard = askGuard(GuardQuestion{GuardAsk::Module, {}});
    if (guard && guard->moduleProcess != 0) return {windowOfProcess(guard->moduleProcess, kControlWindowTitle), true};
    if (!guard && guardChannelOpen()) return {nullptr, true};
    return {findSuiteWindow(kControlWindowTitle), false};
}

}  // namespace

HWND findControlWindow() { return lookForControlWindow().window; }

HWND locateControlWindow(bool mayStart) {
    for (int attempt = 0; attempt < kLocateAttempts; ++attempt) {
        const ModuleLook look = lookForControlWindow();
        if (look.window) return look.window;
        if (!mayStart) return nullptr;
        if (attempt == 0 && !look.guardsIt && startControlModule() != 0) return nullptr;
        Sleep(kLocatePauseMs);
    }
    return nullptr;
}

int32_t sendControlCommand(UINT code, uint32_t argument, const wchar_t* password) {
    if (!gCachedControlWindow || !IsWindow(gCachedControlWindow))
        gCachedControlWindow = locateControlWindow(code != kCommandClose);
    if (!gCachedControlWindow) return kNoControlWindow;
    if (!password) return static_cast<int32_t>(SendMessageA(gCachedControlWindow, kControlMessage, code, argument));
    // The guard takes the password and lets its module follow the command;
    // the password reaches no file of the child's.
    GuardQuestion grant{GuardAsk::Grant, reinterpret_cast<const char16_t*>(password), code};
    const std::optional<GuardAnswer> guard = askGuard(grant);
    wipeText(grant.password);
    if (guard)
        return guard->yes ? static_cast<int32_t>(SendMessageA(gCachedControlWindow, kControlMessage, code, 0)) : 0;
    // A guard that runs but does not answer (its channel held busy) gets no
    // password by another road: nothing is handed over.
    if (runningGuardProcess() != 0) return kHandOverFailed;
    WindowUser user;
    if (!controlWindowUser(gCachedControlWindow, user)) return kHandOverFailed;
    {
        ActingAs moduleUser(user.impersonationToken());
        const bool written = moduleUser.succeeded() && writeHandOverFile(user.handOverPath(), password);
        if (!written) {
            if (moduleUser.succeeded()) wipeHandOverFile(user.handOverPath());
            return kHandOverFailed;
        }
    }
    auto result = static_cast<int32_t>(SendMessageA(gCachedControlWindow, kControlMessage, code, argument));
    ActingAs moduleUser(user.impersonationToken());
    if (moduleUser.succeeded()) wipeHandOverFile(user.handOverPath());
    return result;
}

void proveAdministrator(HWND controlWindow) {
    auto challenge = static_cast<uint32_t>(SendMessageA(controlWindow, kControlMessage, kCommandAskQuery, 0));
    SendMessageA(controlWindow, kControlMessage, kCommandInformAdmin, proof(challenge));
}

void requestChildMode() { sendControlCommand(kCommandChild, 0, nullptr); }

int32_t requestParentsMode(const wchar_t* password) {
    if (isUserAnAdmin()) {
        if (HWND window = locateControlWindow(true)) proveAdministrator(window);
    }
    return sendControlCommand(kCommandParents, 1, password);
}

int32_t queryMode() { return sendControlCommand(kCommandGetMode, 0, nullptr); }

uint32_t windowToCommandValue(HWND window) { return static_cast<uint32_t>(reinterpret_cast<std::uintptr_t>(window)); }

HWND windowFromCommandValue(int32_t value) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(value)); }

void bringWindowToFront(HWND window) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

#include "app/command_sender_win.h"

#include <windows.h>

#include <string>

#include "resources/resource_ids.h"
#include "settings/password_gate_win.h"
#include "shell/control_channel_win.h"
#include "shell/guard_presence_win.h"
#include "app/control_module_file_win.h"
#include "shell/messages_win.h"
#include "shell/start_program_win.h"

namespace {

constexpr DWORD kCloseAllPauseMs = 1250;

struct Request {
    UINT code;
    bool needsPassword;
    bool proveAdministrator;
    bool uninstall;
};

const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Before the module closes, open scenes and settings windows are asked to
// close and given time to notice. False when the password could not be
// handed over.
bool closeWindowsFirst(HWND window, UINT code, LPARAM flag, const wchar_t* password) {
    if (!window || code != kCommandClose) return true;
    if (sendControlCommand(kCommandCloseAllWindows, flag, password) == kHandOverFailed) return false;
    Sleep(kCloseAllPauseMs);
    return true;
}

void send(Request request) {
    HWND window = nullptr;
    if (request.proveAdministrator) {
        window = locateControlWindow(request.code != kCommandClose);
        if (window) proveAdministrator(window);
    }
    if (request.needsPassword) {
        // Where another sender prompts, or the prompt is cancelled, nothing
        // more is done: the uninstaller neither.
        const PasswordAsked asked = withParentsPassword(PromptKind::Sender, [&](const std::u16string& password) {
            if (!closeWindowsFirst(window, request.code, 1, asWide(password)) ||
                sendControlCommand(request.code, 1, asWide(password)) == kHandOverFailed) {
                errorBox(nullptr, IDS_HAND_OVER_FAILED, true);
                request.uninstall = false;
            }
        });
        if (asked != PasswordAsked::Given) return;
    } else {
        closeWindowsFirst(window, request.code, 0, nullptr);
        sendControlCommand(request.code, 0, nullptr);
    }
    if (!request.uninstall) return;
    if (freeControlModuleFile())
        startProgram(L"uinst.exe", L"", SW_SHOWNORMAL);
    else
        errorBox(nullptr, IDS_OTHER_SESSIONS, true);
}

}  // namespace

void runCommandSender(Role role, const Settings& settings, bool (*isUserAnAdmin)()) {
    switch (role) {
    case Role::Close:
        if (elevatedHere(isUserAnAdmin, L"/close")) send({kCommandClose, true, true, false});
        return;
    case Role::Disable:
        if ((settings.requireAdmin || runningGuardProcess() != 0) && !isUserAnAdmin())
            startProgram(L"qza.exe", L"/disable", SW_SHOWNORMAL);
        else
            send({kCommandParents, true, settings.requireAdmin != 0, false});
        return;
    case Role::Enable: send({kCommandChild, false, false, false}); return;
    case Role::Uninstall:
        if (isUserAnAdmin())
            send({kCommandClose, true, true, true});
        else
            errorBox(nullptr, IDS_ADMIN_REQUIRED, true);
        return;
    default: return;
    }
}

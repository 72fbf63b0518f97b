#include "app/extra_time_sender_win.h"

#include <windows.h>

#include <string>

#include "control/extra_time_file_win.h"
#include "control/usage_ledger_file_win.h"
#include "resources/resource_ids.h"
#include "settings/password_gate_win.h"
#include "shell/control_channel_win.h"
#include "shell/control_commands.h"
#include "shell/messages_win.h"
#include "shell/window_user_win.h"

namespace {

// The extra time's file of the window's user: theirs, not the sender's, who
// may be the administrator typed into the elevation prompt.
bool extraTimePathOf(HWND window, wchar_t (&path)[MAX_PATH]) {
    WindowUser user;
    if (!findWindowUser(window, user)) return false;
    HANDLE own = nullptr;
    HANDLE token = user.impersonationToken();
    if (!token && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) token = own;
    const bool found = token && ledgerPathOf(token, path, L"extra");
    if (own) CloseHandle(own);
    return found;
}

bool grantTo(HWND window, int minutes) {
    wchar_t path[MAX_PATH];
    if (!extraTimePathOf(window, path) || !grantExtraTime(path, minutes)) return false;
    sendControlCommand(kCommandOptionsUpdate, 0, nullptr);
    return true;
}

}  // namespace

void runExtraTimeSender(int minutes, bool (*isUserAnAdmin)()) {
    if (minutes <= 0) {
        errorBox(nullptr, IDS_EXTRA_TIME_FAILED, true);
        return;
    }
    if (!elevatedHere(isUserAnAdmin, (L"/extra:" + std::to_wstring(minutes)).c_str())) return;
    HWND window = findControlWindow();
    withParentsPassword(PromptKind::Sender, [&](const std::u16string&) {
        if (!(window && grantTo(window, minutes))) errorBox(nullptr, IDS_EXTRA_TIME_FAILED, true);
    });
}

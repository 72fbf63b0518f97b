#include "settings/password_prompt_win.h"

#include "common/text_win.h"
#include "crypto/wipe.h"
#include "resources/resource_ids.h"
#include "shell/control_commands.h"
#include "settings/password_store_win.h"
#include "shell/control_channel_win.h"
#include "shell/messages_win.h"

namespace {

constexpr UINT_PTR kTopmostTimer = 1;
constexpr UINT kTopmostPeriodMs = 500;
constexpr int kPasswordCapacity = 1024;
constexpr UINT kCyrillicCodePage = 1251;

}  // namespace

PasswordDialog::PasswordDialog() : Dialog(IDD_PASSWORD) {}

PasswordDialog::~PasswordDialog() { wipeText(password_); }

bool PasswordDialog::onInitDialog() {
    static const int controls[] = {IDC_PASSWORD_PROMPT, IDC_PASSWORD_EDIT, IDOK, IDCANCEL, 0};
    createCyrillicFont(hwnd());
    if (isWideApiAvailable()) applyCyrillicFont(hwnd(), controls);
    wchar_t title[256] = L"";
    loadString(IDS_MODULE_CAPTION, title, 256);
    SetWindowTextW(hwnd(), title);
    setCaptionForCodePage(hwnd(), IDS_MODULE_NAME_ENGLISH, kCyrillicCodePage);
    letControlMessageIn(hwnd());
    SendDlgItemMessageW(hwnd(), IDC_PASSWORD_EDIT, EM_LIMITTEXT, kPasswordCapacity, 0);
    setTimer(kTopmostTimer, kTopmostPeriodMs);
    return true;
}

void PasswordDialog::onTimer(UINT_PTR) {
    if (!showingError_) SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (sendControlCommand(kCommandTestCloseWindow, 0, nullptr) > 0) onCancel();
}

void PasswordDialog::onOK() {
    wchar_t typed[kPasswordCapacity + 1] = L"";
    getWindowTextU(item(IDC_PASSWORD_EDIT), typed, kPasswordCapacity + 1);
    std::u16string candidate = reinterpret_cast<const char16_t*>(typed);
    wipeMemory(typed, sizeof typed);
    if (checkPassword(candidate)) {
        password_.swap(candidate);
        endDialog(IDOK);
        return;
    }
    wipeText(candidate);
    showingError_ = true;
    errorBox(hwnd(), IDS_WRONG_PASSWORD, false);
    SetFocus(item(IDC_PASSWORD_EDIT));
    showingError_ = false;
}

bool PasswordDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != kControlMessage) return false;
    result = wParam == kCommandTestQuery ? LRESULT(proof(uint32_t(lParam))) : 0;
    return true;
}

bool askPassword(std::u16string& out) {
    if (checkPassword(u"")) {
        out.clear();
        return true;
    }
    PasswordDialog dialog;
    if (dialog.runModal() != IDOK) return false;
    out.swap(dialog.password());
    return true;
}

#include "settings/settings_dialogs_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "crypto/wipe.h"
#include "settings/local_users_win.h"
#include "shell/privileges_win.h"
#include "resources/resource_ids.h"
#include "scene/player_check_win.h"
#include "settings/password.h"
#include "settings/password_prompt_win.h"
#include "settings/password_store_win.h"
#include "settings/settings_file_win.h"
#include "settings/suite_dialog_look_win.h"
#include "shell/control_channel_win.h"
#include "shell/messages_win.h"
#include "shell/start_program_win.h"
#include "ui/common_controls_win.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 500;
constexpr int kPasswordCapacity = 1024;
constexpr int kMinutesCapacity = 3;

void setPressed(HWND button, bool pressed) {
    bool shown = SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (shown != pressed) SendMessageW(button, BM_SETCHECK, pressed ? BST_CHECKED : BST_UNCHECKED, 0);
}

void unregisterSettingsWindow() { sendControlCommand(kCommandSetOptionsWindow, 0, nullptr); }

}  // namespace

void openSettings(SettingsKind kind, bool (*isUserAnAdmin)()) {
    if (!isUserAnAdmin()) {
        errorBox(nullptr, IDS_ADMIN_REQUIRED, true);
        return;
    }
    HWND registered = windowFromCommandValue(sendControlCommand(kCommandGetOptionsWindow, 0, nullptr));
    if (registered && IsWindow(registered)) {
        bringWindowToFront(registered);
        return;
    }
    if (!askPassword(promptedPassword())) return;
    commonControls::initListViews();
    SettingsForm form(kind);
    form.runModal();
    wipeText(promptedPassword());
}

SettingsForm::SettingsForm(SettingsKind kind)
    : Dialog(settingsFields(kind).templateId), kind_(kind), fields_(settingsFields(kind)) {}

bool SettingsForm::onInitDialog() {
    look_.apply(hwnd(), fields_.englishTitleId);
    for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
        SendDlgItemMessageW(hwnd(), id, EM_LIMITTEXT, kPasswordCapacity, 0);
    if (!fields_.combined) {
        SendDlgItemMessageW(hwnd(), IDC_FIRST_MINUTES, EM_LIMITTEXT, kMinutesCapacity, 0);
        if (kind_ != SettingsKind::Hopsa)
            SendDlgItemMessageW(hwnd(), IDC_SECOND_MINUTES, EM_LIMITTEXT, kMinutesCapacity, 0);
    }
    sendControlCommand(kCommandSetOptionsWindow, windowToCommandValue(hwnd()), nullptr);
    setTimer(kPollTimer, kPollPeriodMs);
    loadSettingsFile(settings_);
    prepareUserList();
    fillControls();
    userList_.enable(isChecked(IDC_SELECTED_USERS));
    refreshModeButtons();
    return true;
}

void SettingsForm::prepareUserList() {
    userList_.bind(item(IDC_USER_LIST));
    RECT client{}, scrollBar{};
    GetClientRect(userList_.hwnd(), &client);
    GetWindowRect(item(IDC_SCROLL_BAR_MEASURE), &scrollBar);
    wchar_t header[256] = L"";
    loadString(IDS_USER_LIST_COLUMN, header, 256);
    userList_.insertColumn(0, header, LVCFMT_LEFT, (client.right - client.left) - (scrollBar.right - scrollBar.left),
                           0);
    userList_.setCheckMode(ReportListCtrl::kMultipleChecks);

    std::vector<std::u16string> names;
    if (enumerateLocalUsers(names) != 0) {
        EnableWindow(item(IDC_SELECTED_USERS), FALSE);
        EnableWindow(item(IDC_REQUIRE_ADMIN), FALSE);
        userListAvailable_ = false;
        return;
    }
    for (const std::u16string& name : names) {
        int index = userList_.insertItem(userList_.itemCount(), L"item");
        if (index >= 0) userList_.setItemText(index, 0, name);
    }
}

void SettingsForm::fillControls() {
    for (const MinuteField& minutes : fields_.minutes)
        SetDlgItemInt(hwnd(), minutes.controlId, UINT(int(settings_.*minutes.field)), FALSE);
    for (const FlagField& flag : fields_.flags)
        CheckDlgButton(hwnd(), flag.controlId, settings_.*flag.field ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_REQUIRE_ADMIN, settings_.requireAdmin ? BST_CHECKED : BST_UNCHECKED);
    if (!userListAvailable_) return;
    CheckDlgButton(hwnd(), IDC_SELECTED_USERS, settings_.selectedUsersOnly ? BST_CHECKED : BST_UNCHECKED);
    for (int index = 0; index < userList_.itemCount(); ++index) {
        const std::u16string name = userList_.itemText(index, 0);
        if (std::find(settings_.users.begin(), settings_.users.end(), name) != settings_.users.end())
            userList_.setCheck(index, true);
    }
}

void SettingsForm::readControls() {
    for (const MinuteField& minutes : fields_.minutes)
        settings_.*minutes.field =
            storedMinutes(GetDlgItemInt(hwnd(), minutes.controlId, nullptr, FALSE), fields_.combined);
    for (const FlagField& flag : fields_.flags) settings_.*flag.field = isChecked(flag.controlId) ? 1 : 0;
    settings_.requireAdmin = isChecked(IDC_REQUIRE_ADMIN) ? 1 : 0;
    settings_.selectedUsersOnly = isChecked(IDC_SELECTED_USERS) ? 1 : 0;
    settings_.users.clear();
    for (int index = 0; index < userList_.itemCount(); ++index)
        if (userList_.getCheck(index)) settings_.users.push_back(userList_.itemText(index, 0));
}

void SettingsForm::refreshModeButtons() {
    bool parentsMode = queryMode() == 0;
    setPressed(item(IDC_PARENTS_MODE), parentsMode);
    setPressed(item(IDC_CHILD_MODE), !parentsMode);
}

void SettingsForm::onTimer(UINT_PTR) {
    refreshModeButtons();
    if (!firstTickDone_) {
        firstTickDone_ = true;
        checkFlashPlayer();
    }
    if (sendControlCommand(kCommandTestCloseWindow, 0, nullptr) > 0) {
        unregisterSettingsWindow();
        PostMessageW(hwnd(), WM_COMMAND, IDCANCEL, 0);
    }
}

bool SettingsForm::onCommand(int id, int code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_PARENTS_MODE:
        if (requestParentsMode(reinterpret_cast<const wchar_t*>(promptedPassword().c_str())) == kHandOverFailed)
            errorBox(hwnd(), IDS_HAND_OVER_FAILED, true);
        refreshModeButtons();
        return true;
    case IDC_CHILD_MODE:
        requestChildMode();
        refreshModeButtons();
        return true;
    case IDC_SELECTED_USERS: userList_.enable(isChecked(IDC_SELECTED_USERS)); return true;
    case IDC_HELP_BUTTON: startProgram(L"qz.exe", L"/advtop", SW_HIDE); return true;
    default: return false;
    }
}

void SettingsForm::onOK() {
    if (!isUserAnAdmin()) return;
    if (changePassword(hwnd()) != 0) return;
    readControls();
    saveSettingsFile(settings_);
    sendControlCommand(kCommandOptionsUpdate, 0, nullptr);
    unregisterSettingsWindow();
    endDialog(IDOK);
}

void SettingsForm::onCancel() {
    unregisterSettingsWindow();
    endDialog(IDCANCEL);
}

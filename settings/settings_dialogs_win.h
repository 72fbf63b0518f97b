#pragma once
#include <windows.h>

#include "settings/settings.h"
#include "settings/settings_fields.h"
#include "settings/suite_dialog_look_win.h"
#include "ui/dialog_win.h"
#include "ui/report_list_ctrl_win.h"

// Opens a settings dialog of the given kind. Only for administrators
// (isUserAnAdmin decides; message 115 otherwise), only when no other settings
// dialog is open (that one is raised instead), and only after the password.
void openSettings(SettingsKind kind, bool (*isUserAnAdmin)());

// One settings dialog: registered with the control module while open, it
// shows and switches the mode, and on OK changes the password and writes
// nessel20.cfg.
class SettingsForm : public Dialog {
public:
    explicit SettingsForm(SettingsKind kind);

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onTimer(UINT_PTR id) override;
    bool onCommand(int id, int code) override;

private:
    void prepareUserList();
    void fillControls();
    void readControls();
    void refreshModeButtons();
    bool isChecked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

    SettingsKind kind_;
    const SettingsFields& fields_;
    ReportListCtrl userList_;
    bool userListAvailable_ = true;
    Settings settings_;
    bool firstTickDone_ = false;
    SuiteDialogLook look_;
};

#pragma once
#include <windows.h>

#include <string>

#include "ui/dialog_win.h"

// The password prompt (dialog 134): unlimited tries, kept on top of the
// topmost band, cancelled when the control module asks windows to close.
class PasswordDialog : public Dialog {
public:
    PasswordDialog();
    ~PasswordDialog() override;
    // The password typed when the dialog ended with OK; wiped with the dialog.
    std::u16string& password() { return password_; }

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onTimer(UINT_PTR id) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::u16string password_;
    bool showingError_ = false;
};

// True with out set to the password typed, or to the empty string at once
// when the empty password is accepted; false when the prompt was cancelled.
bool askPassword(std::u16string& out);

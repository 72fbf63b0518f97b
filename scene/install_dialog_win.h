#pragma once
#include "ui/dialog_win.h"

// Offers the two download pages of the movie player, each with a button that
// opens it and one that copies it to the clipboard.
class FlashInstallDialog : public Dialog {
public:
    FlashInstallDialog();

protected:
    bool onInitDialog() override;
    bool onCommand(int id, int code) override;
};

// Copies ANSI text to the clipboard as CF_TEXT; false when the clipboard
// could not be taken.
bool copyToClipboard(HWND owner, const char* text);

#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/dialog_win.h"

// The child's request for more time: how much, and what for.
class TimeRequestForm : public Dialog {
public:
    explicit TimeRequestForm(HWND owner);
    int32_t minutes() const { return minutes_; }
    const std::u16string& reason() const { return reason_; }

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    int32_t minutes_ = 0;
    std::u16string reason_;
};

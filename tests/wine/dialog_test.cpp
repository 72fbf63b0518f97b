#include <windows.h>

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "ui/dialog_win.h"

namespace {

class EndsAtOnce : public Dialog {
public:
    EndsAtOnce() : Dialog(IDD_CONTROL_MODULE) {}
    bool wasVisible = true;

protected:
    bool onInitDialog() override {
        wasVisible = IsWindowVisible(hwnd());
        endDialog(7);
        return true;
    }
};

// A never-shown dialog that answers a private message and ends on its third tick.
class HiddenTicker : public Dialog {
public:
    HiddenTicker() : Dialog(IDD_CONTROL_MODULE) { keepHidden(); }
    int ticks = 0;
    bool everVisible = false;
    LRESULT answer = 0;
    HWND mainDuringRun = nullptr;

protected:
    bool onInitDialog() override {
        setTimer(1, 30);
        return true;
    }
    void onTimer(UINT_PTR) override {
        everVisible |= IsWindowVisible(hwnd()) != FALSE;
        mainDuringRun = mainWindow();
        answer = SendMessageW(hwnd(), WM_APP + 5, 0, 0);
        if (++ticks == 3) endDialog(IDOK);
    }
    bool onMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        if (message != WM_APP + 5) return false;
        result = 42;
        return true;
    }
};

}  // namespace

TEST(Dialog, EndingDuringInitialisationReturnsWithoutShowing) {
    EndsAtOnce dialog;
    EXPECT_EQ(dialog.runModal(), 7);
    EXPECT_FALSE(dialog.wasVisible);
}

TEST(Dialog, HiddenDialogRunsTimersAnswersMessagesAndIsTheMainWindow) {
    HiddenTicker dialog;
    EXPECT_EQ(dialog.runModal(), IDOK);
    EXPECT_EQ(dialog.ticks, 3);
    EXPECT_FALSE(dialog.everVisible);
    EXPECT_EQ(dialog.answer, 42);
    EXPECT_NE(dialog.mainDuringRun, nullptr);
    EXPECT_EQ(mainWindow(), nullptr);
}

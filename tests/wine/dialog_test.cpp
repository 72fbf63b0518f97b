#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

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

// Throws from its handlers: while initialising when told, on its first tick
// and when asked a private message.
class Throwing : public Dialog {
public:
    explicit Throwing(bool inInitialisation) : Dialog(IDD_CONTROL_MODULE), inInitialisation_(inInitialisation) {
        keepHidden();
    }
    int ticks = 0;
    LRESULT answer = -1;

protected:
    bool onInitDialog() override {
        if (inInitialisation_) throw std::bad_alloc();
        setTimer(1, 20);
        return true;
    }
    void onTimer(UINT_PTR) override {
        if (++ticks == 1) throw std::runtime_error("first tick");
        answer = SendMessageW(hwnd(), WM_APP + 5, 0, 0);
        endDialog(IDOK);
    }
    bool onMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_APP + 5) throw std::bad_alloc();
        return false;
    }

private:
    bool inInitialisation_;
};

}  // namespace

TEST(Dialog, AnExceptionInAHandlerIsContainedAndTheDialogGoesOnOrEndsCancelled) {
    Throwing running(false);
    EXPECT_EQ(running.runModal(), IDOK);
    EXPECT_EQ(running.ticks, 2);
    EXPECT_EQ(running.answer, 0);
    Throwing failing(true);
    EXPECT_EQ(failing.runModal(), IDCANCEL);
}

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

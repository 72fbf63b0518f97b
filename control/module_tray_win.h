#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "control/time_request.h"

// The control module's icon in the notification area: its tip (the time
// left), its warnings and its menu (the parents' extra time and week).
class ModuleTray {
public:
    // Each new tip is also told to `tipShown` where a test gives one.
    explicit ModuleTray(void (*tipShown)(const wchar_t* tip));
    ~ModuleTray();
    ModuleTray(const ModuleTray&) = delete;
    ModuleTray& operator=(const ModuleTray&) = delete;

    // The window whose icon it is; loads the suite's icons.
    void attach(HWND window);
    HICON largeIcon() const { return largeIcon_; }

    void show(bool shown);
    // The minutes of play left and the wall-clock minute the computer goes
    // off; -1 where nothing limits it.
    void showTimeLeft(int32_t minutesLeft, int32_t offMinuteOfDay);
    // A balloon that takes no focus: so many minutes left.
    void warn(int32_t minutesLeft);
    // A balloon of a program the parents limit: the minutes it has left
    // (a text with "%u"), its windows asked to close, or its end.
    void tellOfProgram(UINT textId, uint32_t minutesLeft);
    // A balloon of the child's request for more time.
    void tellOfRequest(UINT textId);
    // The icon's menu at the cursor; a chosen item starts its sender or the
    // parents' week, which ask for the password. A child's request not yet
    // granted is offered to the parents first; where the child may ask (the
    // guard's module), the menu offers it. True when the child chose to ask.
    bool showMenu(bool canAsk, const std::optional<TimeRequest>& asked);

private:
    void (*tipShown_)(const wchar_t* tip);
    HWND window_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON largeIcon_ = nullptr;
    bool shown_ = false;
    std::wstring tip_;  // empty until the first time left
};

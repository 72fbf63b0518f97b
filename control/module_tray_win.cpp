#include "control/module_tray_win.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "control/tray_icon_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"
#include "shell/start_program_win.h"
#include "ui/suite_icon_win.h"

namespace {

// The menu's items: the child's request, the extra time the parents may
// grant, their week, and the child's way to ask.
enum MenuItem : UINT { kNoItem = 0, kCalendarItem, kAskItem, kAskedItem, kFirstExtraTimeItem };
constexpr UINT kExtraTimeMinutes[] = {15, 30, 60};

std::wstring caption() { return loadedString(IDS_MODULE_CAPTION); }

}  // namespace

ModuleTray::ModuleTray(void (*tipShown)(const wchar_t* tip)) : tipShown_(tipShown) {}

ModuleTray::~ModuleTray() {
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (largeIcon_) DestroyIcon(largeIcon_);
}

void ModuleTray::attach(HWND window) {
    window_ = window;
    smallIcon_ = loadSuiteIcon(true);
    largeIcon_ = loadSuiteIcon(false);
}

void ModuleTray::show(bool shown) {
    shown_ = shown;
    showTrayIcon(window_, smallIcon_, shown, tip_.empty() ? caption().c_str() : tip_.c_str());
}

void ModuleTray::showTimeLeft(int32_t minutesLeft, int32_t offMinuteOfDay) {
    std::wstring tip = caption();
    if (minutesLeft == 0) {
        tip = loadedString(IDS_TIME_UP);
    } else if (minutesLeft > 0) {
        wchar_t text[64];
        std::swprintf(text, 64, loadedString(IDS_TIME_LEFT).c_str(), minutesLeft, offMinuteOfDay / 60,
                      offMinuteOfDay % 60);
        tip = text;
    }
    if (tip == tip_) return;
    tip_ = tip;
    if (shown_) setTrayTip(window_, tip_.c_str());
    if (tipShown_) tipShown_(tip_.c_str());
}

void ModuleTray::warn(int32_t minutesLeft) {
    wchar_t text[256];
    std::swprintf(text, 256, loadedString(IDS_TIME_WARNING).c_str(), minutesLeft);
    showTrayBalloon(window_, loadedString(IDS_TIME_WARNING_TITLE).c_str(), text);
}

void ModuleTray::tellOfProgram(UINT textId, uint32_t minutesLeft) {
    wchar_t text[256];
    std::swprintf(text, 256, loadedString(textId).c_str(), minutesLeft);
    showTrayBalloon(window_, loadedString(IDS_TIME_WARNING_TITLE).c_str(), text);
}

void ModuleTray::tellOfRequest(UINT textId) {
    showTrayBalloon(window_, loadedString(IDS_ASK_TITLE).c_str(), loadedString(textId).c_str());
}

bool ModuleTray::showMenu(bool canAsk, const std::optional<TimeRequest>& asked) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return false;
    const bool offered = asked && !asked->granted;
    if (offered) {
        wchar_t text[kReasonLimit + 64];
        std::swprintf(text, std::size(text), loadedString(IDS_ASKED_ITEM).c_str(), asked->minutes,
                      reinterpret_cast<const wchar_t*>(asked->reason.c_str()));
        AppendMenuW(menu, MF_STRING, kAskedItem, text);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    UINT item = kFirstExtraTimeItem;
    for (UINT minutes : kExtraTimeMinutes) {
        wchar_t text[64];
        std::swprintf(text, 64, loadedString(IDS_EXTRA_TIME_ITEM).c_str(), minutes);
        AppendMenuW(menu, MF_STRING, item++, text);
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kCalendarItem, loadedString(IDS_CALENDAR_ITEM).c_str());
    if (canAsk) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kAskItem, loadedString(IDS_ASK_ITEM).c_str());
    }
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(window_);  // so that a click elsewhere closes the menu
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (chosen == kCalendarItem) {
        startProgram(L"qz.exe", L"/calendar", SW_SHOWNORMAL);
    } else if (chosen == kAskedItem && offered) {
        startProgram(L"qz.exe", (L"/extra:" + std::to_wstring(asked->minutes)).c_str(), SW_SHOWNORMAL);
    } else if (chosen >= kFirstExtraTimeItem && chosen < kFirstExtraTimeItem + std::size(kExtraTimeMinutes)) {
        const UINT minutes = kExtraTimeMinutes[chosen - kFirstExtraTimeItem];
        startProgram(L"qz.exe", (L"/extra:" + std::to_wstring(minutes)).c_str(), SW_SHOWNORMAL);
    }
    return chosen == kAskItem;
}

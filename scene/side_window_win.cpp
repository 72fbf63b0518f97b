#include "scene/side_window_win.h"

#include <string>

#include "resources/resource_ids.h"
#include "scene/info_document_win.h"
#include "scene/html_help_win.h"
#include "shell/control_commands.h"
#include "shell/control_channel_win.h"
#include "ui/dialog_win.h"

namespace {

constexpr wchar_t kSideWindowTitle[] = L"qz-tolder-AdvWnd";
constexpr UINT_PTR kWatchTimer = 2;
constexpr int kBringTopCommand = 1026;
constexpr UINT kDisplayTopic = 0;

HWND openHelpPage(bool maximise) {
    std::u16string path = infoDocument().text(u"helpfile") + u"::/html/sk.htm";
    HWND help = HtmlHelpW(nullptr, reinterpret_cast<const wchar_t*>(path.c_str()), kDisplayTopic, 0);
    if (!help) return nullptr;
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SetWindowPos(help, HWND_BOTTOM, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_SHOWWINDOW);
    if (maximise) ShowWindow(help, SW_SHOWMAXIMIZED);
    return help;
}

// Never seen: it keeps the help open and ends with it, or when the control
// module asks every window to close.
class SideWindow : public Dialog {
public:
    SideWindow() : Dialog(IDD_SIDE_WINDOW) { keepHidden(); }
    HWND helpWindow = nullptr;

protected:
    bool onInitDialog() override {
        SetWindowTextW(hwnd(), kSideWindowTitle);
        letControlMessageIn(hwnd());
        SetWindowPos(hwnd(), nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
        setTimer(kWatchTimer, 1000);
        return true;
    }

    void onTimer(UINT_PTR) override {
        if (!IsWindow(helpWindow) || sendControlCommand(kCommandTestCloseWindow, 0, nullptr) > 0) endDialog(IDOK);
    }

    bool onCommand(int id, int) override {
        if (id != kBringTopCommand) return false;
        if (!IsWindow(helpWindow)) helpWindow = openHelpPage(true);
        if (helpWindow) {
            bringWindowToFront(helpWindow);
            ShowWindow(helpWindow, SW_SHOWMAXIMIZED);
        }
        return true;
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kControlMessage) {
            result = wParam == kCommandTestQuery ? static_cast<LRESULT>(proof(static_cast<uint32_t>(lParam))) : 0;
            return true;
        }
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            BeginPaint(hwnd(), &paint);
            EndPaint(hwnd(), &paint);
            ShowWindow(hwnd(), SW_HIDE);
            result = 0;
            return true;
        }
        return false;
    }
};

}  // namespace

void showSideWindow() {
    if (HWND running = findSuiteWindow(kSideWindowTitle)) {
        PostMessageW(running, WM_COMMAND, kBringTopCommand, 0);
        return;
    }
    SideWindow window;
    window.helpWindow = openHelpPage(true);
    window.runModal();
}

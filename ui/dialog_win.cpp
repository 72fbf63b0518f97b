#include "ui/dialog_win.h"

#include "common/exception_barrier.h"

namespace {
HWND gMainWindow = nullptr;
}

HWND mainWindow() { return gMainWindow; }

INT_PTR Dialog::runModal() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_, &Dialog::dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void Dialog::endDialog(INT_PTR result) { EndDialog(hwnd_, result); }

INT_PTR CALLBACK Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        if (!gMainWindow) gMainWindow = window;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        if (gMainWindow == window) gMainWindow = nullptr;
        SetWindowLongPtrW(window, DWLP_USER, 0);
    }
    // A handler that throws gets the default processing and the dialog goes
    // on; one that throws while initialising leaves it half made, so it ends
    // as cancelled.
    return exceptionBarrier([&] { return self->handle(message, wParam, lParam); }, INT_PTR{FALSE},
                            [&] {
                                if (message == WM_INITDIALOG) EndDialog(window, IDCANCEL);
                            });
}

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return onInitDialog() ? TRUE : FALSE;
    case WM_TIMER: onTimer(wParam); return TRUE;
    case WM_WINDOWPOSCHANGING:
        if (hidden_) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        break;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (onCommand(id, code)) return TRUE;
        if (id == IDOK) {
            onOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            onCancel();
            return TRUE;
        }
        return FALSE;
    }
    }
    LRESULT result = 0;
    if (!onMessage(message, wParam, lParam, result)) return FALSE;
    // Set last: anything done while handling may have changed it.
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

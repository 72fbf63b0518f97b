#pragma once
#include <windows.h>

// A modal dialog from a resource template. Subclasses override the handlers
// they need; one static dialog procedure binds the object to its window and
// forwards every message to it.
class Dialog {
public:
    explicit Dialog(int templateId, HWND parent = nullptr) : templateId_(templateId), parent_(parent) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until it ends; returns the value given to endDialog,
    // or -1 when the dialog could not be created.
    INT_PTR runModal();
    HWND hwnd() const { return hwnd_; }

protected:
    // Return false after moving the focus yourself. Calling endDialog here
    // ends the dialog before it is ever shown.
    virtual bool onInitDialog() { return true; }
    virtual void onOK() { endDialog(IDOK); }
    virtual void onCancel() { endDialog(IDCANCEL); }
    virtual void onTimer(UINT_PTR) {}
    // Return true when the command was handled.
    virtual bool onCommand(int, int) { return false; }
    // Any other message; return true and set result to answer it.
    virtual bool onMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

    void endDialog(INT_PTR result);
    void setTimer(UINT_PTR id, UINT milliseconds) { SetTimer(hwnd_, id, milliseconds, nullptr); }
    void killTimer(UINT_PTR id) { KillTimer(hwnd_, id); }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    // The dialog is never shown, whatever its template says.
    void keepHidden() { hidden_ = true; }

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool hidden_ = false;
};

// The application's main window: the outermost dialog that is running.
HWND mainWindow();

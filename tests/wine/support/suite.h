#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "control/state_record.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "shell/data_locations_win.h"

// Helpers for tests that run the suite's processes under Wine.
namespace suite {

// Folder of qz.exe and the other binaries of the build.
std::wstring binDir();
std::wstring qzPath();
// qz.exe of the build of the other width (32 or 64 bits), or empty when there
// is none or this Wine cannot run it; `reason` then says why.
std::wstring otherWidthQzPath(std::string& reason);

// Starts qz.exe (or another program) with the arguments; the handle must be closed.
HANDLE start(const std::wstring& program, const std::wstring& arguments);
// Runs to the end and returns the exit code, or -1 when it did not end in time.
DWORD run(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs = 20000);

// Polls every 20 ms until the condition holds; false when it did not in time.
template <typename Condition>
bool waitUntil(DWORD timeoutMs, Condition holds) {
    for (DWORD started = GetTickCount();; Sleep(20)) {
        if (holds()) return true;
        if (GetTickCount() - started >= timeoutMs) return false;
    }
}
// Polls until a top-level window with this title (and class, when given) exists.
HWND waitForWindow(const wchar_t* title, DWORD timeoutMs, const wchar_t* className = nullptr);
// Types the password into the password prompt once it is shown (that is,
// initialised) and confirms it; the prompt, or null when none came within 10 s.
HWND answerPasswordPrompt(const wchar_t* password);
// Runs qz.exe with the arguments, answering its password prompt; false where
// no prompt came or the program did not end within 15 s.
bool runAnsweringPassword(const std::wstring& arguments, const wchar_t* password);
bool waitForNoWindow(const wchar_t* title, DWORD timeoutMs);

// A dialog's whole life (the function) on a thread of the test. Whatever
// happens, every window it opened (prompt, dialog, message box) is cancelled
// before the object goes.
class DialogThread {
public:
    explicit DialogThread(std::function<void()> body);
    ~DialogThread();
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;
    // The thread's top-level dialog with the title, once it is shown (that is, initialised).
    HWND waitForWindow(const std::wstring& title) const;
    // Any visible dialog or message box of the thread.
    HWND waitForAnyWindow() const;
    bool waitForEnd(DWORD timeoutMs) const;
    DWORD endedAt() const { return endedAt_; }

private:
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> ended_{false};
    std::atomic<DWORD> endedAt_{0};
};

// A visible top-level window of the class and title (any, where null) that
// `which` accepts, once there is one; null when none came in time.
HWND waitForVisible(const wchar_t* className, const wchar_t* title, DWORD timeoutMs,
                    const std::function<bool(HWND)>& which);
// A visible dialog or message box owned by the window, once it appears.
HWND waitForOwnedBox(HWND owner, DWORD timeoutMs);
// The message of a standard message box and its title.
std::wstring messageBoxText(HWND box);
std::wstring windowTitle(HWND window);
// The caption of the suite's information boxes, which follows the code page.
const wchar_t* infoCaption();
// The text of a dialog's control.
std::wstring itemText(HWND dialog, int id);
// Clicks a dialog's button as the mouse would: posted, so that the click
// cannot run inside a message the dialog is handling.
void press(HWND dialog, int id);

// The text of a list view's cell.
std::wstring listCell(HWND list, int item, int column = 0);

// Clicks an item's check box in a list view as the mouse would, with the
// given button; false when the item shows no check box.
bool clickCheckBox(HWND list, int item, UINT down = WM_LBUTTONDOWN);

// The texts of the dialog's visible labels, check boxes, group boxes and
// buttons that do not fit their controls, each with the size it needs and the
// size it has; empty when every text fits.
std::vector<std::wstring> clippedTexts(HWND dialog);

// The names of the files matching the pattern ("folder\\*.swf"), without "." and "..".
std::vector<std::wstring> filesIn(const std::wstring& pattern);
// Deletes a folder with everything in it; true when it is gone.
bool removeTree(const std::wstring& folder);
// A new folder of that name in the user's data folder holding qz.exe and the
// player DLL of the build; its path, or empty when it could not be made.
std::wstring makeProgramFolder(const wchar_t* name);

// The share of the window's client area whose pixels on screen pass the test.
using PixelTest = bool (*)(int red, int green, int blue);
double shareOnScreen(HWND window, PixelTest test);
// Tikko's orange fur.
bool isTikkoFur(int red, int green, int blue);

// The suite's files in the data folders (or folders in their places), removed before a test.
void removeSuiteFiles();

// A fresh installation: no control module running, none of the suite's files,
// and qz.exe copied to "services.exe" in the shared data folder.
void installControlModule();
// Starts the control module (the installed one unless another program is
// given); its window once it answers the window test, or null.
HWND startControlModule(const std::wstring& program = dataLocations().controlModulePath());
// Ends every running control module and waits until its process is gone.
void stopControlModules();

// Copies the recorder to the control module's place: a module that ends as
// it starts and notes each start in "services.exe.log".
bool useRecorderAsModule();

// Reads a whole file; empty when it cannot be opened.
std::string readBytes(const std::wstring& path);
// The UTF-16 text the recorder writes to "<program>.log".
std::wstring readLog(const std::wstring& path);
// How often the part occurs in the text.
size_t countOf(const std::wstring& text, const wchar_t* part);
bool writeBytes(const std::wstring& path, const std::string& bytes);
bool writeBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool exists(const std::wstring& path);
// The parents' limits file, written as UTF-16 with its mark; its path, or empty.
std::wstring writeLimits(const std::wstring& text);
// A name in the system's temporary folder.
std::wstring tempPath(const wchar_t* name);
// Dispatches the thread's messages for that long.
void pump(DWORD ms);

// The settings file as the dialogs write it, and read back (defaults when missing).
bool writeSettings(const Settings& settings);
Settings readSettings();
// The per-user state record; readState is false unless the file holds a whole one.
bool writeState(const StateRecord& record);
bool readState(StateRecord& record);
// The system clock as a FILETIME value.
uint64_t nowUtc();

// A folder of the user's temporary folder, made anew, in which the recorder
// stands in for qz.exe; it is the working directory, from which the suite
// starts its programs, until the object ends.
class RecorderFolder {
public:
    explicit RecorderFolder(const wchar_t* name);
    ~RecorderFolder();
    RecorderFolder(const RecorderFolder&) = delete;
    RecorderFolder& operator=(const RecorderFolder&) = delete;
    const std::wstring& path() const { return path_; }
    // Every start of qz.exe: its command line, working directory and "show N".
    std::wstring recorded() const;
    size_t count(const wchar_t* part) const;
    bool waitFor(const wchar_t* part, size_t times, DWORD timeoutMs) const;

private:
    std::wstring path_;
    wchar_t saved_[MAX_PATH] = L"";
};

// A scene's window: the visible one of a process other than `notProcess`, once there is one.
const wchar_t* sceneTitle();
HWND waitForScene(DWORD timeoutMs, DWORD notProcess = 0);
DWORD processOf(HWND window);
// Ends the process and waits for it; the handle is closed.
void killProcess(HANDLE process);
// Ends the process of the window and waits for it.
void killProcessOf(HWND window);
// Every thread of the process suspended or resumed, as Resource Monitor does it.
void suspendProcess(DWORD process, bool suspend);

// Closes the next message box the window owns, from a thread of its own.
class BoxCloser {
public:
    struct Seen {
        std::wstring text, caption;
    };
    explicit BoxCloser(HWND owner);
    ~BoxCloser();
    // What the box said; empty when none came within 5 s.
    Seen seen();

private:
    Seen seen_;
    std::thread thread_;
};

}  // namespace suite

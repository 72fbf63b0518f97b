#include "support/suite.h"

#include "resources/resource_ids.h"

#include "control/control_module_win.h"
#include "control/usage_ledger_file_win.h"
#include "shell/guard_presence_win.h"
#include "shell/process_identity_win.h"
#include "shell/control_channel_win.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdint>
#include <vector>

namespace suite {

std::wstring binDir() { return PALLO_BIN_DIR; }
std::wstring qzPath() { return binDir() + L"\\qz.exe"; }

std::wstring otherWidthQzPath(std::string& reason) {
    const std::wstring folder = PALLO_OTHER_WIDTH_BIN_DIR;
    if (folder.empty() || !exists(folder + L"\\qz.exe")) {
        reason = "no build of the other width beside this one";
        return {};
    }
    // Wine may report a program it could not execute as started and ended
    // well: the probe must leave a trace.
    const std::wstring probe = std::wstring(dataLocations().tempFolder()) + L"width-probe.exe";
    const std::wstring trace = probe + L".log";
    DeleteFileW(trace.c_str());
    CopyFileW((folder + L"\\recorder.exe").c_str(), probe.c_str(), FALSE);
    run(probe, L"", 20000);
    const bool ran = exists(trace);
    DeleteFileW(trace.c_str());
    DeleteFileW(probe.c_str());
    if (!ran) {
        reason = sizeof(void*) == 4 ? "a 32-bit Wine prefix runs no 64-bit programs"
                                    : "32-bit programs cannot run on this machine";
        return {};
    }
    return folder + L"\\qz.exe";
}

HANDLE start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD run(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
    HANDLE process = start(program, arguments);
    if (!process) return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 1);
    CloseHandle(process);
    return code;
}

HWND waitForWindow(const wchar_t* title, DWORD timeoutMs, const wchar_t* className) {
    HWND window = nullptr;
    waitUntil(timeoutMs, [&] { return (window = FindWindowW(className, title)) != nullptr; });
    return window;
}

HWND answerPasswordPrompt(const wchar_t* password) {
    HWND prompt = waitForVisible(L"#32770", L"Tolder", 10000, [](HWND) { return true; });
    if (!prompt) return nullptr;
    SetDlgItemTextW(prompt, IDC_PASSWORD_EDIT, password);
    PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    return prompt;
}

bool runAnsweringPassword(const std::wstring& arguments, const wchar_t* password) {
    HANDLE program = start(qzPath(), arguments);
    const bool answered = answerPasswordPrompt(password) != nullptr;
    const bool ended = program && WaitForSingleObject(program, 15000) == WAIT_OBJECT_0;
    if (program) CloseHandle(program);
    return answered && ended;
}

namespace {

BOOL CALLBACK cancelDialog(HWND window, LPARAM) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

}  // namespace

DialogThread::DialogThread(std::function<void()> body) {
    thread_ = std::thread([this, body] {
        threadId_ = GetCurrentThreadId();
        body();
        endedAt_ = GetTickCount();
        ended_ = true;
    });
    while (!threadId_) Sleep(1);
}

DialogThread::~DialogThread() {
    for (DWORD started = GetTickCount(); !ended_ && GetTickCount() - started < 10000; Sleep(50))
        EnumThreadWindows(threadId_, &cancelDialog, 0);
    thread_.join();
}

HWND DialogThread::waitForWindow(const std::wstring& title) const {
    return waitForVisible(L"#32770", title.c_str(), 10000,
                          [this](HWND window) { return GetWindowThreadProcessId(window, nullptr) == threadId_; });
}

HWND DialogThread::waitForAnyWindow() const {
    return waitForVisible(L"#32770", nullptr, 10000,
                          [this](HWND window) { return GetWindowThreadProcessId(window, nullptr) == threadId_; });
}

bool DialogThread::waitForEnd(DWORD timeoutMs) const {
    return waitUntil(timeoutMs, [this] { return ended_.load(); });
}

bool waitForNoWindow(const wchar_t* title, DWORD timeoutMs) {
    return waitUntil(timeoutMs, [&] { return !FindWindowW(nullptr, title); });
}

HWND waitForVisible(const wchar_t* className, const wchar_t* title, DWORD timeoutMs,
                    const std::function<bool(HWND)>& which) {
    HWND window = nullptr;
    waitUntil(timeoutMs, [&] {
        for (window = FindWindowExW(nullptr, nullptr, className, title); window;
             window = FindWindowExW(nullptr, window, className, title))
            if (IsWindowVisible(window) && which(window)) return true;
        return false;
    });
    return window;
}

HWND waitForOwnedBox(HWND owner, DWORD timeoutMs) {
    return waitForVisible(L"#32770", nullptr, timeoutMs,
                          [owner](HWND box) { return GetWindow(box, GW_OWNER) == owner; });
}

std::wstring messageBoxText(HWND box) {
    wchar_t text[1024] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

std::wstring windowTitle(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

const wchar_t* infoCaption() { return GetACP() == 1251 ? L"Tolder" : L"Info"; }

std::wstring itemText(HWND dialog, int id) {
    wchar_t text[1100] = L"";  // room for the longest password
    GetDlgItemTextW(dialog, id, text, 1100);
    return text;
}

void press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::wstring listCell(HWND list, int item, int column) {
    wchar_t text[260] = L"";
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, item, LPARAM(&cell));
    return text;
}

bool clickCheckBox(HWND list, int item, UINT down) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, item, LPARAM(&bounds));
    const int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + 40; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, y};
        SendMessageW(list, LVM_HITTEST, 0, LPARAM(&hit));
        if (hit.iItem != item || !(hit.flags & LVHT_ONITEMSTATEICON)) continue;
        // The release waits in the queue: the list view tracks the mouse
        // until it sees one.
        PostMessageW(list, down == WM_RBUTTONDOWN ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        SendMessageW(list, down, 0, MAKELPARAM(x, y));
        pump(0);
        return true;
    }
    return false;
}

namespace {

// The size the text takes in the control's font, broken into lines no wider
// than `width` when given.
SIZE textSize(HWND control, const std::wstring& text, int width, UINT format) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | format | (width ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {need.right, need.bottom};
}

}  // namespace

std::vector<std::wstring> clippedTexts(HWND dialog) {
    std::vector<std::wstring> clipped;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const std::wstring text = windowTitle(control);
        wchar_t className[32] = L"";
        GetClassNameW(control, className, 32);
        if (!IsWindowVisible(control) || text.empty()) continue;
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        RECT client;
        GetClientRect(control, &client);
        SIZE need{}, room{client.right, client.bottom};
        if (lstrcmpiW(className, L"Static") == 0) {
            need = textSize(control, text, client.right, DT_EXPANDTABS);
        } else if (lstrcmpiW(className, L"Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) {
                need = textSize(control, text, 0, 0);
                room.cx -= 2 * textSize(control, L"0", 0, 0).cx;  // the frame's corners around the caption
            } else if ((type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                        type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) &&
                       !(style & BS_PUSHLIKE)) {
                need.cx = (style & BS_MULTILINE) ? client.right : 0;
                SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&need));
            } else {
                need = textSize(control, text, 0, 0);
                room.cx -= 2 * GetSystemMetrics(SM_CXEDGE);
                room.cy -= 2 * GetSystemMetrics(SM_CYEDGE);
            }
        } else {
            continue;
        }
        if (need.cx > room.cx || need.cy > room.cy)
            clipped.push_back(text + L": needs " + std::to_wstring(need.cx) + L"x" + std::to_wstring(need.cy) +
                              L", has " + std::to_wstring(room.cx) + L"x" + std::to_wstring(room.cy));
    }
    return clipped;
}

std::vector<std::wstring> filesIn(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (lstrcmpW(found.cFileName, L".") && lstrcmpW(found.cFileName, L"..")) names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

bool removeTree(const std::wstring& folder) {
    for (const std::wstring& name : filesIn(folder + L"\\*")) {
        const std::wstring path = folder + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            removeTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
    return !exists(folder);
}

std::wstring makeProgramFolder(const wchar_t* name) {
    std::wstring folder = std::wstring(dataLocations().userFolder()) + name;
    removeTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"qz.exe", L"tikkoplay.dll"})
        if (!CopyFileW((binDir() + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE)) return {};
    return folder;
}

double shareOnScreen(HWND window, PixelTest test) {
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    size_t passed = 0;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i)
        if (test((pixels[i] >> 16) & 0xFF, (pixels[i] >> 8) & 0xFF, pixels[i] & 0xFF)) ++passed;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<double>(passed) / (width * height);
}

bool isTikkoFur(int red, int green, int blue) { return red > 220 && green > 130 && green < 200 && blue < 120; }

void removeSuiteFiles() {
    const DataLocations& paths = dataLocations();
    for (const wchar_t* path :
         {paths.settingsPath(), paths.passwordPath(), paths.statePath(), paths.calendarPath(), paths.handOverPath()}) {
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path);
        RemoveDirectoryW(path);  // a folder a test put in the file's place
    }
    // A guard's, from an earlier test: the copies users read and its own.
    for (const wchar_t* folder : {L"\\ledger", L"\\guard"}) removeTree(std::wstring(paths.commonFolder()) + folder);
}

void installControlModule() {
    stopControlModules();
    removeSuiteFiles();
    CopyFileW(qzPath().c_str(), dataLocations().controlModulePath(), FALSE);
}

HWND startControlModule(const std::wstring& program) {
    HANDLE process = start(program, L"/control");
    if (process) CloseHandle(process);
    HWND window = nullptr;
    waitUntil(15000, [&] { return (window = findSuiteWindow(kControlWindowTitle)) != nullptr; });
    return window;
}

void stopControlModules() {
    // A guard service left running (the installer's) would start them again:
    // it goes as the installer removes it.
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE guard = manager ? OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_STATUS) : nullptr;
    if (guard) {
        CloseServiceHandle(guard);
        run(qzPath(), L"/remove-guard", 30000);
    }
    if (manager) CloseServiceHandle(manager);
    // A module may hold its mutex before its window is there, for as long as
    // it waits for another module's window (10 s).
    for (DWORD started = GetTickCount(); GetTickCount() - started < 15000;) {
        HWND window = FindWindowW(nullptr, kControlWindowTitle);
        if (!window) {
            HANDLE starting = OpenMutexW(SYNCHRONIZE, FALSE, kOneModuleMutex);
            if (!starting) break;
            CloseHandle(starting);
            Sleep(20);
            continue;
        }
        const DWORD processId = processOf(window);
        HANDLE process = processId != GetCurrentProcessId() ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        if (process) {
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        } else {
            Sleep(20);
        }
    }
    // A module started at the moment the guard was told (it waits for
    // another module's window before it shows its own) is ended outright.
    const wchar_t* module = dataLocations().controlModulePath();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        HANDLE process =
            OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        wchar_t path[MAX_PATH] = L"";
        if (process && programOfProcess(process, path) && lstrcmpiW(path, module) == 0)
            killProcess(process);
        else if (process)
            CloseHandle(process);
    }
    CloseHandle(snapshot);
}

bool useRecorderAsModule() {
    return CopyFileW((binDir() + L"\\recorder.exe").c_str(), dataLocations().controlModulePath(), FALSE) != FALSE;
}

std::string readBytes(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool writeBytes(const std::wstring& path, const std::string& bytes) {
    // A guard service of the test may be reading the file at that moment.
    HANDLE file = INVALID_HANDLE_VALUE;
    waitUntil(1000, [&] {
        file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        return file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION;
    });
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

bool writeBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    return writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring writeLimits(const std::wstring& text) {
    const std::wstring marked = L"\xFEFF" + text;
    wchar_t path[MAX_PATH];
    return prepareLedgerFolder() && ledgerFolderFile(L"limits.txt", path) &&
                   writeBytes(path, std::string(reinterpret_cast<const char*>(marked.data()), marked.size() * 2))
               ? path
               : L"";
}

std::wstring tempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

bool writeSettings(const Settings& settings) {
    std::vector<uint8_t> image;
    settings.save(image);
    return writeBytes(dataLocations().settingsPath(), image);
}

Settings readSettings() {
    std::string bytes = readBytes(dataLocations().settingsPath());
    Settings settings;
    settings.load(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return settings;
}

bool writeState(const StateRecord& record) {
    StateImage image = encodeStateRecord(record);
    return writeBytes(dataLocations().statePath(), std::string(image.begin(), image.end()));
}

bool readState(StateRecord& record) {
    std::string bytes = readBytes(dataLocations().statePath());
    if (bytes.size() < kStateRecordSize) return false;
    decodeStateRecord(reinterpret_cast<const uint8_t*>(bytes.data()), kStateRecordSize, record);
    return true;
}

uint64_t nowUtc() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

RecorderFolder::RecorderFolder(const wchar_t* name) : path_(std::wstring(dataLocations().tempFolder()) + name) {
    removeTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
    CopyFileW((binDir() + L"\\recorder.exe").c_str(), (path_ + L"\\qz.exe").c_str(), FALSE);
    GetCurrentDirectoryW(MAX_PATH, saved_);
    SetCurrentDirectoryW(path_.c_str());
}

RecorderFolder::~RecorderFolder() { SetCurrentDirectoryW(saved_); }

std::wstring readLog(const std::wstring& path) {
    std::string bytes = readBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

std::wstring RecorderFolder::recorded() const { return readLog(path_ + L"\\qz.exe.log"); }

size_t countOf(const std::wstring& text, const wchar_t* part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++found;
    return found;
}

size_t RecorderFolder::count(const wchar_t* part) const { return countOf(recorded(), part); }

bool RecorderFolder::waitFor(const wchar_t* part, size_t times, DWORD timeoutMs) const {
    return waitUntil(timeoutMs, [&] { return count(part) >= times; });
}

const wchar_t* sceneTitle() { return GetACP() == 1251 ? L"Tikko" : L"Computer"; }

HWND waitForScene(DWORD timeoutMs, DWORD notProcess) {
    return waitForVisible(L"#32770", sceneTitle(), timeoutMs,
                          [notProcess](HWND scene) { return processOf(scene) != notProcess; });
}

DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

void killProcess(HANDLE process) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

void killProcessOf(HWND window) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processOf(window));
    if (process) killProcess(process);
}

void suspendProcess(DWORD process, bool suspend) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == process)
            if (HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
                suspend ? SuspendThread(thread) : ResumeThread(thread);
                CloseHandle(thread);
            }
    CloseHandle(snapshot);
}

BoxCloser::BoxCloser(HWND owner)
    : thread_([this, owner] {
          if (HWND box = waitForOwnedBox(owner, 5000)) {
              seen_ = {messageBoxText(box), windowTitle(box)};
              PostMessageW(box, WM_COMMAND, IDOK, 0);
          }
      }) {}

BoxCloser::~BoxCloser() {
    if (thread_.joinable()) thread_.join();
}

BoxCloser::Seen BoxCloser::seen() {
    if (thread_.joinable()) thread_.join();
    return seen_;
}

}  // namespace suite

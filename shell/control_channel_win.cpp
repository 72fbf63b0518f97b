#include "shell/control_channel_win.h"

#include <cwchar>

#include "common/text_win.h"
#include "content/random.h"
#include "shell/hand_over_password.h"
#include "shell/privileges_win.h"
#include "shell/control_commands.h"
#include "shell/control_module_start_win.h"
#include "shell/data_locations_win.h"

namespace {

constexpr int kLocateAttempts = 32;
constexpr DWORD kLocatePauseMs = 250;
constexpr UINT kTestTimeoutMs = 5000;
constexpr DWORD kWipeBlockBytes = 1024;

HWND gCachedControlWindow = nullptr;

// A window that does not answer the test in time is treated as failing it,
// so that a hung impostor cannot stop the sender.
bool passesWindowTest(HWND window) {
    uint32_t challenge = drawChallenge(nullptr);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, kControlMessage, kCommandTestQuery, challenge, SMTO_ABORTIFHUNG, kTestTimeoutMs,
                             &answer))
        return false;
    return static_cast<uint32_t>(answer) == proof(challenge);
}

void handOverPathFor(HWND controlWindow, wchar_t (&path)[MAX_PATH]) {
    wchar_t folder[MAX_PATH] = L"";
    if (!controlWindowUserFolder(controlWindow, folder) || !DataLocations::handOverPathUnder(folder, path))
        std::wcscpy(path, dataLocations().handOverPath());
}

void writeHandOverFile(const wchar_t* path, const wchar_t* password) {
    HANDLE file = createFileU(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, password, static_cast<DWORD>((std::wcslen(password) + 1) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
}

// Resolved at run time: Windows XP has no filter, Vista only the process-wide one.
void letControlMessageInWhenElevated(HWND window) {
    if (!isProcessElevated()) return;
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD of the process-wide form
    using WindowFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ProcessFilterFn = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (auto filter = reinterpret_cast<WindowFilterFn>(GetProcAddress(user, "ChangeWindowMessageFilterEx")))
        filter(window, kControlMessage, kAllow, nullptr);
    else if (auto processFilter = reinterpret_cast<ProcessFilterFn>(GetProcAddress(user, "ChangeWindowMessageFilter")))
        processFilter(kControlMessage, kAllow);
}

}  // namespace

void (*letControlMessageIn)(HWND) = &letControlMessageInWhenElevated;

bool (*controlWindowUserFolder)(HWND, wchar_t (&)[MAX_PATH]) = &appDataFolderOfWindowUser;

HWND findSuiteWindow(const wchar_t* title) {
    for (HWND window = FindWindowW(nullptr, title); window; window = FindWindowExW(nullptr, window, nullptr, title))
        if (passesWindowTest(window)) return window;
    return nullptr;
}

HWND locateControlWindow(bool mayStart) {
    for (int attempt = 0; attempt < kLocateAttempts; ++attempt) {
        if (HWND window = findSuiteWindow(kControlWindowTitle)) return window;
        if (!mayStart) return nullptr;
        if (startControlModule() != 0) return nullptr;
        Sleep(kLocatePauseMs);
    }
    return nullptr;
}

int32_t sendControlCommand(UINT code, uint32_t argument, const wchar_t* password) {
    if (!gCachedControlWindow || !IsWindow(gCachedControlWindow))
        gCachedControlWindow = locateControlWindow(code != kCommandClose);
    if (!gCachedControlWindow) return -1;
    wchar_t handOverPath[MAX_PATH] = L"";
    if (password) {
        handOverPathFor(gCachedControlWindow, handOverPath);
        writeHandOverFile(handOverPath, password);
    }
    auto result = static_cast<int32_t>(SendMessageA(gCachedControlWindow, kControlMessage, code, argument));
    if (password) wipeHandOverFile(handOverPath);
    return result;
}

void proveAdministrator(HWND controlWindow) {
    auto challenge = static_cast<uint32_t>(SendMessageA(controlWindow, kControlMessage, kCommandAskQuery, 0));
    SendMessageA(controlWindow, kControlMessage, kCommandInformAdmin, proof(challenge));
}

void requestChildMode() { sendControlCommand(kCommandChild, 0, nullptr); }

void requestParentsMode(const wchar_t* password) {
    if (isUserAnAdmin()) {
        if (HWND window = locateControlWindow(true)) proveAdministrator(window);
    }
    sendControlCommand(kCommandParents, 1, password);
}

int32_t queryMode() { return sendControlCommand(kCommandGetMode, 0, nullptr); }

uint32_t windowToCommandValue(HWND window) { return static_cast<uint32_t>(reinterpret_cast<std::uintptr_t>(window)); }

HWND windowFromCommandValue(int32_t value) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(value)); }

void wipeHandOverFile(const wchar_t* path) {
    setFileAttributesU(path, FILE_ATTRIBUTE_NORMAL);
    HANDLE file = createFileU(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file != INVALID_HANDLE_VALUE) {
        // Everything a sender may have written: the longest password the
        // module reads, or the whole file when it is longer still.
        static const char zeros[kWipeBlockBytes] = {};
        const DWORD size = GetFileSize(file, nullptr);
        DWORD left = size != INVALID_FILE_SIZE && size > kHandOverReadBytes ? size : DWORD{kHandOverReadBytes};
        for (DWORD written = 0; left > 0; left -= written)
            if (!WriteFile(file, zeros, left < kWipeBlockBytes ? left : kWipeBlockBytes, &written, nullptr) ||
                written == 0)
                break;
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    deleteFileU(path);
}

void bringWindowToFront(HWND window) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

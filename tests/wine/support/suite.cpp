#include "support/suite.h"

#include <vector>

namespace suite {

std::wstring binDir() { return PALLO_BIN_DIR; }
std::wstring qzPath() { return binDir() + L"\\qz.exe"; }

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
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    else TerminateProcess(process, 1);
    CloseHandle(process);
    return code;
}

HWND waitForWindow(const wchar_t* title, DWORD timeoutMs, const wchar_t* className) {
    DWORD started = GetTickCount();
    do {
        if (HWND window = FindWindowW(className, title)) return window;
        Sleep(20);
    } while (GetTickCount() - started < timeoutMs);
    return nullptr;
}

bool waitForNoWindow(const wchar_t* title, DWORD timeoutMs) {
    DWORD started = GetTickCount();
    do {
        if (!FindWindowW(nullptr, title)) return true;
        Sleep(20);
    } while (GetTickCount() - started < timeoutMs);
    return false;
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

bool removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
    return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace suite

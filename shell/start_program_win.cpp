#include "shell/start_program_win.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "common/text_win.h"

namespace {

// A program named without a folder is started by its full path in the
// current directory, where the caller found it: given the bare name, the
// shell would look in other places too (its App Paths list, PATH).
std::wstring inFolder(const wchar_t* directory, const wchar_t* file) {
    if (!directory[0] || std::wcschr(file, L'\\') || std::wcschr(file, L':')) return file;
    std::wstring path = directory;
    if (path.back() != L'\\') path += L'\\';
    return path + file;
}

HANDLE open(const wchar_t* name, const wchar_t* parameters, int show, ULONG mask) {
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    const std::wstring path = inFolder(directory, name);
    const wchar_t* file = path.c_str();
    if (isWideApiAvailable()) {
        SHELLEXECUTEINFOW info{sizeof info};
        info.fMask = mask;
        info.lpVerb = L"open";
        info.lpFile = file;
        info.lpParameters = parameters;
        info.lpDirectory = directory;
        info.nShow = show;
        return ShellExecuteExW(&info) ? info.hProcess : nullptr;
    }
    auto narrowFile = wideToAnsi(file), narrowParameters = wideToAnsi(parameters),
         narrowDirectory = wideToAnsi(directory);
    SHELLEXECUTEINFOA info{sizeof info};
    info.fMask = mask;
    info.lpVerb = "open";
    info.lpFile = narrowFile.get();
    info.lpParameters = narrowParameters.get();
    info.lpDirectory = narrowDirectory.get();
    info.nShow = show;
    return ShellExecuteExA(&info) ? info.hProcess : nullptr;
}

}  // namespace

int startProgram(const wchar_t* file, const wchar_t* parameters, int show) {
    if (!fileExists(file)) return 1;
    open(file, parameters, show, 0);
    return 0;
}

HANDLE startProcess(const wchar_t* file, const wchar_t* parameters, int show) {
    if (!fileExists(file)) return nullptr;
    return open(file, parameters, show, SEE_MASK_NOCLOSEPROCESS);
}

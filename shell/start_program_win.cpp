#include "shell/start_program_win.h"

#include <shellapi.h>

#include "common/text_win.h"

namespace {

HANDLE open(const wchar_t* file, const wchar_t* parameters, int show, ULONG mask) {
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
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

#include "shell/start_program_win.h"

#include <shellapi.h>

#include "common/text_win.h"

int startProgram(const wchar_t* file, const wchar_t* parameters, int show) {
    if (!fileExists(file)) return 1;
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    if (isWideApiAvailable()) {
        ShellExecuteW(nullptr, L"open", file, parameters, directory, show);
    } else {
        auto narrowFile = wideToAnsi(file), narrowParameters = wideToAnsi(parameters),
             narrowDirectory = wideToAnsi(directory);
        ShellExecuteA(nullptr, "open", narrowFile.get(), narrowParameters.get(), narrowDirectory.get(), show);
    }
    return 0;
}

#include "app/control_module_file_win.h"

#include <windows.h>

#include <string>

#include "common/text_win.h"
#include "shell/control_channel_win.h"
#include "shell/data_locations_win.h"

namespace {

constexpr int kAttempts = 8;
constexpr DWORD kPauseMs = 250;

// A running executable cannot be deleted: deleting the file (after keeping a
// copy to put back) tells whether the module still runs from it.
bool fileIsFree() {
    const wchar_t* path = dataLocations().controlModulePath();
    if (!fileExists(path)) return true;
    std::wstring copy = std::wstring(path) + L"_";
    CopyFileW(path, copy.c_str(), FALSE);
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    bool deleted = DeleteFileW(path) != FALSE;
    MoveFileW(copy.c_str(), path);
    return deleted;
}

bool attempt() {
    if (isWideApiAvailable()) return fileIsFree();
    return !findControlWindow();
}

}  // namespace

bool freeControlModuleFile() {
    for (int i = 0; i < kAttempts; ++i) {
        if (attempt()) return true;
        if (i + 1 < kAttempts) Sleep(kPauseMs);
    }
    return false;
}

#include "shell/data_locations_win.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "common/text_win.h"

namespace {

constexpr int kCsidlAppData = 26;
constexpr int kCsidlCommonAppData = 35;

// Appends when the result fits; otherwise the path becomes empty, so that a
// cut-off path never names some other file.
template <typename Char>
void append(Char* path, const Char* tail, size_t (*length)(const Char*)) {
    if (!path[0]) return;  // an empty base stays empty, so every use of it fails cleanly
    size_t used = length(path), extra = length(tail);
    if (used + extra >= MAX_PATH) {
        path[0] = 0;
        return;
    }
    std::memcpy(path + used, tail, (extra + 1) * sizeof(Char));
}

void appendW(wchar_t* path, const wchar_t* tail) { append<wchar_t>(path, tail, std::wcslen); }
void appendA(char* path, const char* tail) { append<char>(path, tail, std::strlen); }

template <typename Char>
void copyPath(Char* to, const Char* from) {
    std::memcpy(to, from, MAX_PATH * sizeof(Char));
}

using GetFolderW = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
using GetFolderA = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);

// The suite's folders under an application-data folder, outermost first.
constexpr const char* kSuiteFolders[] = {"\\Brenmoor\\", "qz-tolder\\"};

void appendNameW(wchar_t* path, const char* name) {
    wchar_t wide[32];
    toWide(CP_ACP, name, wide, 32);
    appendW(path, wide);
}

void addSuiteFoldersW(wchar_t* folder, bool create) {
    for (const char* name : kSuiteFolders) {
        appendNameW(folder, name);
        if (create && folder[0]) CreateDirectoryW(folder, nullptr);
    }
}

void addSuiteFoldersA(char* folder) {
    for (const char* name : kSuiteFolders) {
        appendA(folder, name);
        if (folder[0]) CreateDirectoryA(folder, nullptr);
    }
}

void readCommonAppDataFromRegistry(char* folder) {
    folder[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD size = MAX_PATH, type = 0;
    if (RegQueryValueExA(key, "Common AppData", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        folder[0] = 0;
    folder[MAX_PATH - 1] = 0;
    RegCloseKey(key);
}

}  // namespace

const DataLocations::FileInFolder DataLocations::kFiles[] = {
    {kControlModule, kCommonFolder, "services.exe"},
    {kPassword, kCommonFolder, "nessel20p.cfg"},
    {kHandOver, kUserFolder, "psw"},
    {kSettings, kCommonFolder, "nessel20.cfg"},
    {kState, kUserFolder, "nessel20i.cfg"},
    {kCalendar, kUserFolder, "calendar.dat"},
    {kTemp, kUserFolder, "Temp\\"},
};

DataLocations::DataLocations(ApiFamily family) {
    if (family == ApiFamily::Wide)
        buildWide();
    else
        buildAnsi();
}

void DataLocations::buildWide() {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    auto getFolder = shell ? reinterpret_cast<GetFolderW>(GetProcAddress(shell, "SHGetSpecialFolderPathW")) : nullptr;
    if (!getFolder) return;
    wchar_t(&p)[kCount][MAX_PATH] = paths_;
    getFolder(nullptr, p[kCommonFolder], kCsidlCommonAppData, TRUE);
    getFolder(nullptr, p[kUserFolder], kCsidlAppData, TRUE);
    if (!p[kCommonFolder][0]) copyPath(p[kCommonFolder], p[kUserFolder]);
    addSuiteFoldersW(p[kCommonFolder], true);
    addSuiteFoldersW(p[kUserFolder], true);

    for (const FileInFolder& f : kFiles) {
        copyPath(p[f.index], p[f.base]);
        appendNameW(p[f.index], f.name);
    }
    if (p[kTemp][0]) CreateDirectoryW(p[kTemp], nullptr);
}

void DataLocations::buildAnsi() {
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return;
    auto getFolder = reinterpret_cast<GetFolderA>(GetProcAddress(shell, "SHGetSpecialFolderPathA"));
    char narrow[kCount][MAX_PATH] = {};
    if (getFolder) {
        getFolder(nullptr, narrow[kCommonFolder], kCsidlCommonAppData, TRUE);
        getFolder(nullptr, narrow[kUserFolder], kCsidlAppData, TRUE);
        if (!narrow[kCommonFolder][0]) readCommonAppDataFromRegistry(narrow[kCommonFolder]);
        if (!narrow[kCommonFolder][0]) copyPath(narrow[kCommonFolder], narrow[kUserFolder]);
        addSuiteFoldersA(narrow[kCommonFolder]);
        addSuiteFoldersA(narrow[kUserFolder]);
    } else {
        DWORD length = GetCurrentDirectoryA(MAX_PATH, narrow[kUserFolder]);
        if (length == 0 || length >= MAX_PATH)
            narrow[kUserFolder][0] = 0;
        else if (narrow[kUserFolder][length - 1] != '\\')
            appendA(narrow[kUserFolder], "\\");
        copyPath(narrow[kCommonFolder], narrow[kUserFolder]);
    }

    for (const FileInFolder& f : kFiles) {
        copyPath(narrow[f.index], narrow[f.base]);
        appendA(narrow[f.index], f.name);
    }
    if (narrow[kTemp][0]) CreateDirectoryA(narrow[kTemp], nullptr);
    for (int i = 0; i < kCount; ++i) toWide(CP_ACP, narrow[i], paths_[i], MAX_PATH);
}

bool DataLocations::userPathUnder(const wchar_t* appDataFolder, Index file, wchar_t (&path)[MAX_PATH]) {
    path[0] = 0;
    if (std::wcslen(appDataFolder) >= MAX_PATH) return false;
    std::wcscpy(path, appDataFolder);
    addSuiteFoldersW(path, false);
    for (const FileInFolder& f : kFiles)
        if (f.index == file) appendNameW(path, f.name);
    return path[0] != 0;
}

bool DataLocations::handOverPathUnder(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]) {
    return userPathUnder(appDataFolder, kHandOver, path);
}

bool DataLocations::statePathUnder(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]) {
    return userPathUnder(appDataFolder, kState, path);
}

bool DataLocations::calendarPathUnder(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]) {
    return userPathUnder(appDataFolder, kCalendar, path);
}

namespace {
const DataLocations gDataLocations(isWideApiAvailable() ? ApiFamily::Wide : ApiFamily::Ansi);
}

const DataLocations& dataLocations() { return gDataLocations; }

#include "scene/html_help_win.h"

namespace {

constexpr char kControlServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr WORD kWideEntryOrdinal = 15;

HMODULE loadRegisteredControl() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kControlServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    char path[MAX_PATH + 1] = "";
    DWORD size = MAX_PATH, type = 0;
    LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return nullptr;
    return LoadLibraryA(path);
}

}  // namespace

bool HtmlHelpLoader::load() {
    if (failed_) return false;
    if (!module_) module_ = loadRegisteredControl();
    if (!module_) module_ = LoadLibraryW(libraryName_);
    if (module_ && !entry_)
        entry_ = reinterpret_cast<Entry>(GetProcAddress(module_, MAKEINTRESOURCEA(kWideEntryOrdinal)));
    failed_ = !entry_;
    return entry_ != nullptr;
}

HWND HtmlHelpLoader::call(HWND owner, const wchar_t* path, UINT command, DWORD_PTR data) {
    return load() ? entry_(owner, path, command, data) : nullptr;
}

HWND HtmlHelpW(HWND owner, const wchar_t* path, UINT command, DWORD_PTR data) {
    static HtmlHelpLoader viewer(L"hhctrl.ocx");
    return viewer.call(owner, path, command, data);
}

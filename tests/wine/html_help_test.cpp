#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "scene/html_help_win.h"

namespace {

const wchar_t kServerKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr UINT kGetLastError = 0x14;  // HH_GET_LAST_ERROR: answered without opening a window

// Points the registered HTML Help control at another file for one test.
class RegisteredControl {
public:
    RegisteredControl() {
        RegCreateKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        hadValue_ =
            RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size) == ERROR_SUCCESS;
    }
    ~RegisteredControl() {
        if (hadValue_) set(saved_);
        RegCloseKey(key_);
    }
    void set(const wchar_t* path) {
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    }

private:
    HKEY key_ = nullptr;
    wchar_t saved_[MAX_PATH] = L"";
    bool hadValue_ = false;
};

}  // namespace

TEST(HtmlHelp, ARegisteredPathNamingAMissingFileFallsBackToTheNamedLibrary) {
    RegisteredControl registered;
    registered.set(L"C:\\nowhere\\missing-hhctrl.ocx");
    HtmlHelpLoader loader(L"hhctrl.ocx");
    ASSERT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
    loader.call(nullptr, nullptr, kGetLastError, 0);  // a query that opens no window
    EXPECT_NE(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
}

TEST(HtmlHelp, WithNeitherLibraryEveryCallFailsWithoutTryingAgain) {
    RegisteredControl registered;
    registered.set(L"C:\\nowhere\\missing-hhctrl.ocx");
    HtmlHelpLoader loader(L"missing-viewer.ocx");
    EXPECT_EQ(loader.call(nullptr, L"x.chm::/a.htm", 0, 0), nullptr);

    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    registered.set((std::wstring(system) + L"\\hhctrl.ocx").c_str());
    EXPECT_EQ(loader.call(nullptr, L"x.chm::/a.htm", 0, 0), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
}

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "resources/resource_ids.h"
#include "scene/download_pages.h"
#include "scene/install_dialog_win.h"
#include "scene/player_check_win.h"
#include "support/suite.h"

namespace {

const wchar_t* installTitle() {
    return GetACP() == 1251 ? L"Установка Adobe Flash Player" : L"Install Adobe Flash Player";
}

std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<no clipboard>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::string fieldText(HWND dialog, int id) {
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, 512);
    return text;
}

}  // namespace

TEST(CodePageInstallDialog, OffersBothPagesAndCopiesExactlyTheFieldsText) {
    std::thread shown([] { FlashInstallDialog().runModal(); });
    HWND dialog = suite::waitForWindow(installTitle(), 10000, L"#32770");
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < 250 && !IsWindowVisible(dialog); ++i) Sleep(20);  // initialised once shown
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    EXPECT_EQ(fieldText(dialog, IDC_INSTALL_FIRST_ADDRESS), suitePlayerPage(version.dwMajorVersion));
    EXPECT_EQ(fieldText(dialog, IDC_INSTALL_SECOND_ADDRESS), vendorPlayerPage());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_BRING_TOP)));
    EXPECT_EQ(suite::clippedTexts(dialog), std::vector<std::wstring>{});

    SendMessageW(dialog, WM_COMMAND, IDC_INSTALL_SECOND_COPY, 0);
    EXPECT_EQ(clipboardText(), vendorPlayerPage());
    SendMessageW(dialog, WM_COMMAND, IDC_INSTALL_FIRST_COPY, 0);
    EXPECT_EQ(clipboardText(), suitePlayerPage(version.dwMajorVersion));

    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    shown.join();
}

TEST(PlayerCheck, SettingsWithoutThePlayerOfferItsInstallation) {
    suite::stopControlModules();
    suite::removeSuiteFiles();
    DeleteFileW(dataLocations().controlModulePath());
    std::wstring program = std::wstring(dataLocations().userFolder()) + L"no-player-program";
    suite::removeTree(program);
    CreateDirectoryW(program.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(suite::qzPath().c_str(), (program + L"\\qz.exe").c_str(), FALSE));

    HANDLE settings = suite::start(program + L"\\qz.exe", L"/pallo");
    ASSERT_NE(settings, nullptr);
    HWND install = suite::waitForWindow(installTitle(), 15000, L"#32770");
    EXPECT_NE(install, nullptr);
    TerminateProcess(settings, 0);
    WaitForSingleObject(settings, 5000);
    CloseHandle(settings);
}

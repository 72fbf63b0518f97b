#include "scene/install_dialog_win.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "resources/resource_ids.h"
#include "scene/download_pages.h"
#include "shell/messages_win.h"
#include "common/text_win.h"

namespace {

constexpr int kAddressChars = 1024;

unsigned windowsMajorVersion() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwMajorVersion;
}

std::string fieldText(HWND dialog, int id) {
    char text[kAddressChars] = "";
    GetDlgItemTextA(dialog, id, text, kAddressChars);
    return text;
}

}  // namespace

FlashInstallDialog::FlashInstallDialog() : Dialog(IDD_INSTALL_PLAYER) {}

bool FlashInstallDialog::onInitDialog() {
    createCyrillicFont(hwnd());
    static const int kRussianControls[] = {IDOK,
                                           IDC_INSTALL_FIRST_TEXT,
                                           IDC_INSTALL_SECOND_TEXT,
                                           IDC_INSTALL_FIRST_ADDRESS,
                                           IDC_INSTALL_SECOND_ADDRESS,
                                           IDC_INSTALL_FIRST_OPEN,
                                           IDC_INSTALL_SECOND_OPEN,
                                           IDC_INSTALL_FIRST_COPY,
                                           IDC_INSTALL_SECOND_COPY,
                                           0};
    if (isWideApiAvailable()) applyCyrillicFont(hwnd(), kRussianControls);
    setCaptionForCodePage(hwnd(), IDS_TITLE_INSTALL_PLAYER, 1251);
    SetDlgItemTextA(hwnd(), IDC_INSTALL_FIRST_ADDRESS, suitePlayerPage(windowsMajorVersion()).c_str());
    SetDlgItemTextA(hwnd(), IDC_INSTALL_SECOND_ADDRESS, vendorPlayerPage().c_str());
    return true;
}

bool FlashInstallDialog::onCommand(int id, int) {
    switch (id) {
    case IDC_INSTALL_FIRST_OPEN:
    case IDC_INSTALL_SECOND_OPEN: {
        int field = id == IDC_INSTALL_FIRST_OPEN ? IDC_INSTALL_FIRST_ADDRESS : IDC_INSTALL_SECOND_ADDRESS;
        ShellExecuteA(nullptr, "open", fieldText(hwnd(), field).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    case IDC_INSTALL_FIRST_COPY:
    case IDC_INSTALL_SECOND_COPY: {
        int field = id == IDC_INSTALL_FIRST_COPY ? IDC_INSTALL_FIRST_ADDRESS : IDC_INSTALL_SECOND_ADDRESS;
        copyToClipboard(hwnd(), fieldText(hwnd(), field).c_str());
        return true;
    }
    case IDC_INSTALL_FIRST_ADDRESS:
    case IDC_INSTALL_SECOND_ADDRESS: return true;  // focus notifications change nothing
    }
    return false;
}

bool copyToClipboard(HWND owner, const char* text) {
    const size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    std::memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_TEXT, block) != nullptr;  // the clipboard owns the block now
    CloseClipboard();
    if (!placed) GlobalFree(block);
    return placed;
}

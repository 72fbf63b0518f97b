#include "settings/suite_dialog_look_win.h"

#include <vector>

#include "common/exception_barrier.h"
#include "common/text_win.h"
#include "shell/messages_win.h"
#include "ui/suite_icon_win.h"

namespace {

constexpr UINT kCyrillicCodePage = 1251;

BOOL CALLBACK collectControlId(HWND control, LPARAM ids) {
    return exceptionBarrier(
        [&] {
            if (int id = GetDlgCtrlID(control)) reinterpret_cast<std::vector<int>*>(ids)->push_back(id);
            return TRUE;
        },
        FALSE);
}

}  // namespace

SuiteDialogLook::~SuiteDialogLook() {
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (bigIcon_) DestroyIcon(bigIcon_);
}

void SuiteDialogLook::apply(HWND dialog, UINT englishTitleId) {
    smallIcon_ = loadSuiteIcon(true);
    bigIcon_ = loadSuiteIcon(false);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    createCyrillicFont(dialog);
    if (isWideApiAvailable()) {
        std::vector<int> ids;
        EnumChildWindows(dialog, &collectControlId, reinterpret_cast<LPARAM>(&ids));
        ids.push_back(0);
        applyCyrillicFont(dialog, ids.data());
    }
    setCaptionForCodePage(dialog, englishTitleId, kCyrillicCodePage);
}

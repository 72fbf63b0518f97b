#include "control/time_request_form_win.h"

#include <cwchar>
#include <iterator>

#include "control/time_request.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

TimeRequestForm::TimeRequestForm(HWND owner) : Dialog(IDD_TIME_REQUEST, owner) {}

bool TimeRequestForm::onInitDialog() {
    for (int32_t minutes : kRequestMinutes) {
        wchar_t text[64];
        std::swprintf(text, 64, loadedString(IDS_ASK_MINUTES).c_str(), minutes);
        SendDlgItemMessageW(hwnd(), IDC_REQUEST_MINUTES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageW(hwnd(), IDC_REQUEST_MINUTES, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(hwnd(), IDC_REQUEST_REASON, EM_LIMITTEXT, kReasonLimit, 0);
    return true;
}

void TimeRequestForm::onOK() {
    const LRESULT chosen = SendDlgItemMessageW(hwnd(), IDC_REQUEST_MINUTES, CB_GETCURSEL, 0, 0);
    if (chosen < 0 || static_cast<size_t>(chosen) >= std::size(kRequestMinutes)) return;
    minutes_ = kRequestMinutes[chosen];
    wchar_t text[kReasonLimit + 1] = L"";
    GetDlgItemTextW(hwnd(), IDC_REQUEST_REASON, text, kReasonLimit + 1);
    reason_ = reinterpret_cast<const char16_t*>(text);
    endDialog(IDOK);
}

#include "calendar/dialog/tricks_list_win.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "common/text_win.h"
#include "common/whole_file_win.h"
#include "control/trick_log.h"
#include "control/usage_ledger_file_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

namespace {

constexpr int kColumns = 3;
constexpr int kColumnShares[kColumns] = {28, 20, 52};  // percent of the list's width

std::u16string fromUtf8(const std::string& text) {
    return reinterpret_cast<const char16_t*>(codePageToWide(CP_UTF8, text.c_str()).get());
}

std::u16string asText(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// The moment on this computer's clock and in its user's format; the log's
// own UTC text where it cannot be told.
std::u16string localWhen(const TrickEntry& trick) {
    FILETIME utc{static_cast<DWORD>(trick.utc), static_cast<DWORD>(trick.utc >> 32)};
    SYSTEMTIME system{}, local{};
    wchar_t date[64], time[64];
    if (trick.utc == 0 || !FileTimeToSystemTime(&utc, &system) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &system, &local) ||
        !GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 64) ||
        !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, 64))
        return fromUtf8(trick.when + " UTC");
    return asText(std::wstring(date) + L" " + time);
}

}  // namespace

TricksList::TricksList(HWND parent) : Dialog(IDD_TRICKS, parent) {}

bool TricksList::onInitDialog() {
    list_.bind(item(IDC_TRICKS_LIST));
    list_.setCheckMode(ReportListCtrl::kNoChecks);
    RECT client{};
    GetClientRect(list_.hwnd(), &client);
    std::wstring headers = loadedString(IDS_TRICKS_COLUMNS) + L"|";
    for (int column = 0; column < kColumns; ++column) {
        const size_t bar = headers.find(L'|');
        list_.insertColumn(column, headers.substr(0, bar).c_str(), LVCFMT_LEFT,
                           (client.right - client.left) * kColumnShares[column] / 100, column);
        headers.erase(0, bar + 1);
    }
    wchar_t path[MAX_PATH];
    std::optional<std::vector<uint8_t>> log;
    if (guardRecordPath(kTricksFileName, path)) log = readExistingFile(path);
    const std::vector<TrickEntry> tricks = log ? tricksOf(std::string(log->begin(), log->end())) : std::vector<TrickEntry>{};
    for (const TrickEntry& trick : tricks) {
        const int row = list_.insertItem(list_.itemCount(), L"");
        list_.setItemText(row, 0, localWhen(trick));
        list_.setItemText(row, 1, trick.child.empty() ? asText(loadedString(IDS_TRICKS_COMPUTER)) : fromUtf8(trick.child));
        list_.setItemText(row, 2, asText(loadedString(IDS_TRICK_BASE + static_cast<UINT>(trick.trick))));
    }
    return true;
}

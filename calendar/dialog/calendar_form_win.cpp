#include "calendar/dialog/calendar_form_win.h"

#include <commctrl.h>

#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/whole_file_win.h"
#include "calendar/child_limits.h"
#include "control/limits_file_win.h"
#include "calendar/limits_text.h"
#include "control/local_time_win.h"
#include "control/extra_time_file_win.h"
#include "control/time_request.h"
#include "control/usage_ledger_file_win.h"
#include "calendar/week_entries.h"
#include "calendar/dialog/history_chart_win.h"
#include "calendar/dialog/history_export_win.h"
#include "calendar/dialog/programs_form_win.h"
#include "calendar/dialog/tricks_list_win.h"
#include "calendar/dialog/week_fields_win.h"
#include "calendar/dialog/week_picture_win.h"
#include "common/key_value_document.h"
#include "settings/local_users_win.h"
#include "settings/password_gate_win.h"
#include "shell/control_channel_win.h"
#include "shell/messages_win.h"
#include "shell/start_program_win.h"

namespace {

// Posted when the dialog first shows (a dialog shows only once its queue is
// empty): the children's requests are then offered over it.
constexpr UINT kOfferRequests = WM_APP + 1;
constexpr WeekFields kWeek(IDC_CALENDAR_HOURS, IDC_CALENDAR_MINUTES);

// The user's history as the guard keeps it; its header alone where there is none yet.
std::string historyTextOf(const std::u16string& userName) {
    wchar_t path[MAX_PATH];
    std::vector<uint8_t> bytes;
    if (ledgerPathOfUser(reinterpret_cast<const wchar_t*>(userName.c_str()), path, L"csv") &&
        readWholeFile(path, bytes) != 0)
        return std::string(bytes.begin(), bytes.end());
    return std::string(kHistoryHeader) + "\r\n";
}

}  // namespace

void openCalendar(bool (*isUserAnAdmin)()) {
    if (!elevatedHere(isUserAnAdmin, L"/calendar")) return;
    withParentsPassword(PromptKind::Calendar, [](const std::u16string&) {
        CalendarForm form;
        form.runModal();
    });
}

bool CalendarForm::onInitDialog() {
    look_.apply(hwnd(), IDS_TITLE_CALENDAR);
    kWeek.limitText(hwnd());
    HWND userBox = item(IDC_CALENDAR_USER);
    SendMessageW(userBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(loadedString(IDS_CALENDAR_ALL_USERS).c_str()));
    enumerateLocalUsers(users_);
    for (const std::u16string& name : users_)
        SendMessageW(userBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    // A file that cannot be read whole is not an empty one: OK would overwrite it.
    const std::optional<std::u16string> limits = readLimitsText();
    if (!limits) {
        errorBox(hwnd(), IDS_CALENDAR_UNREADABLE, false);
        endDialog(IDCANCEL);
        return true;
    }
    original_ = text_ = *limits;
    showLevel(0);
    return true;
}

std::u16string CalendarForm::userAt(int level) const {
    return level > 0 && static_cast<size_t>(level) <= users_.size() ? users_[static_cast<size_t>(level - 1)]
                                                                    : std::u16string();
}

std::u16string CalendarForm::textWithEntries(int level, std::optional<BadEntry>& bad) const {
    return withWeekEntries(text_, userAt(level), kWeek.entries(hwnd()), bad);
}

bool CalendarForm::keepEntries() {
    std::optional<BadEntry> bad;
    std::u16string text = textWithEntries(level_, bad);
    if (bad) {
        kWeek.pointOut(hwnd(), *bad);
        return false;
    }
    text_ = std::move(text);
    return true;
}

void CalendarForm::showLevel(int level) {
    level_ = level;
    SendDlgItemMessageW(hwnd(), IDC_CALENDAR_USER, CB_SETCURSEL, static_cast<WPARAM>(level), 0);
    KeyValueDocument limits;
    limits.parse(text_);
    const std::u16string user = userAt(level);
    kWeek.show(hwnd(), limits, user, u"");
    historyText_ = user.empty() ? std::string() : historyTextOf(user);
    const int32_t today = dayOf(localMinuteOf(systemUtcNow(), limitSetFor(limits, u"", kZoneKey).value_or(u"")));
    history_ = user.empty() ? std::vector<HistoryDay>() : recentDays(historyText_, today, kChartDays);
    EnableWindow(item(IDC_CALENDAR_EXPORT), !user.empty());
    InvalidateRect(item(IDC_CALENDAR_WEEK), nullptr, FALSE);
    InvalidateRect(item(IDC_CALENDAR_HISTORY), nullptr, FALSE);
}

WeeklyCalendar CalendarForm::shownWeek() const {
    std::optional<BadEntry> bad;
    KeyValueDocument limits;
    limits.parse(textWithEntries(level_, bad));
    return calendarOf(limits, userAt(level_));
}

// Each child's request for more time not yet granted, offered one by one:
// yes grants it as the icon's extra time does.
void CalendarForm::offerRequests() {
    for (const std::u16string& user : users_) {
        const wchar_t* name = reinterpret_cast<const wchar_t*>(user.c_str());
        wchar_t path[MAX_PATH];
        const std::optional<std::vector<uint8_t>> image =
            ledgerPathOfUser(name, path, L"ask") ? readExistingFile(path) : std::nullopt;
        const std::optional<TimeRequest> asked = image ? decodeTimeRequest(image->data(), image->size()) : std::nullopt;
        if (!asked || asked->granted) continue;
        std::vector<wchar_t> text(kReasonLimit + 256);
        std::swprintf(text.data(), text.size(), loadedString(IDS_PARENTS_REQUEST).c_str(), name, asked->minutes,
                      reinterpret_cast<const wchar_t*>(asked->reason.c_str()));
        if (MessageBoxW(hwnd(), text.data(), loadedString(IDS_ASK_TITLE).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            continue;
        if (!ledgerPathOfUser(name, path, L"extra") || !grantExtraTime(path, asked->minutes))
            errorBox(hwnd(), IDS_EXTRA_TIME_FAILED, true);
    }
}

bool CalendarForm::onCommand(int id, int code) {
    if (id == IDC_CALENDAR_USER && code == CBN_SELCHANGE) {
        const int chosen = static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_CALENDAR_USER, CB_GETCURSEL, 0, 0));
        if (keepEntries() && chosen >= 0)
            showLevel(chosen);
        else
            SendDlgItemMessageW(hwnd(), IDC_CALENDAR_USER, CB_SETCURSEL, static_cast<WPARAM>(level_), 0);
        return true;
    }
    if (code == EN_CHANGE && id >= IDC_CALENDAR_HOURS && id < IDC_CALENDAR_MINUTES + kDaysPerWeek) {
        InvalidateRect(item(IDC_CALENDAR_WEEK), nullptr, FALSE);
        return true;
    }
    if (code != BN_CLICKED) return false;
    if (id == IDC_CALENDAR_EXPORT) {
        if (!exportHistory(hwnd(), reinterpret_cast<const wchar_t*>(userAt(level_).c_str()), historyText_))
            errorBox(hwnd(), IDS_CALENDAR_EXPORT_FAILED, false);
        return true;
    }
    if (id == IDC_CALENDAR_PROGRAMS) {
        if (!keepEntries()) return true;
        ProgramsForm programs(hwnd(), text_, userAt(level_));
        if (programs.runModal() == IDOK) text_ = programs.text();
        return true;
    }
    if (id == IDC_CALENDAR_TRICKS) {
        TricksList(hwnd()).runModal();
        return true;
    }
    if (id == IDC_HELP_BUTTON) {
        startProgram(L"qz.exe", L"/advtop", SW_HIDE);
        return true;
    }
    return false;
}

void CalendarForm::onOK() {
    if (!keepEntries()) return;
    // The hours follow the wall clock of the zone the week was first saved in,
    // whatever zone a child sets later; a zone the file names stays.
    KeyValueDocument limits;
    limits.parse(text_);
    if (const std::u16string zone = currentTimeZoneName(); !zone.empty() && !limitSetFor(limits, u"", kZoneKey))
        text_ = withLimit(text_, kZoneKey, zone);
    if (text_ != original_) {
        if (!writeLimitsFile(text_)) {
            errorBox(hwnd(), IDS_CALENDAR_NOT_SAVED, false);
            return;
        }
        sendControlCommand(kCommandOptionsUpdate, 0, nullptr);
    }
    endDialog(IDOK);
}

bool CalendarForm::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_SHOWWINDOW && wParam && !requestsOffered_) {
        requestsOffered_ = true;
        PostMessageW(hwnd(), kOfferRequests, 0, 0);
        return false;
    }
    if (message == kOfferRequests) {
        offerRequests();
        result = 0;
        return true;
    }
    if (message != WM_DRAWITEM) return false;
    const auto& drawn = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(drawn.hwndItem, WM_GETFONT, 0, 0));
    if (drawn.CtlID == IDC_CALENDAR_WEEK)
        drawWeekPicture(drawn, shownWeek(), font);
    else if (drawn.CtlID == IDC_CALENDAR_HISTORY)
        drawHistoryChart(drawn, history_, font, loadedString(IDS_CALENDAR_NO_HISTORY).c_str(),
                         loadedString(IDS_CALENDAR_SCALE).c_str());
    else
        return false;
    result = TRUE;
    return true;
}

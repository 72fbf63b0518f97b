#include "calendar/dialog/programs_form_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "calendar/child_limits.h"
#include "calendar/dialog/history_chart_win.h"
#include "calendar/dialog/week_fields_win.h"
#include "calendar/program_groups.h"
#include "calendar/week_entries.h"
#include "common/key_value_document.h"
#include "common/system_function_win.h"
#include "common/text_win.h"
#include "common/whole_file_win.h"
#include "control/local_time_win.h"
#include "control/seen_programs.h"
#include "control/usage_ledger_file_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

namespace {

constexpr WeekFields kWeek(IDC_PROGRAMS_HOURS, IDC_PROGRAMS_MINUTES);
constexpr int kNamesCapacity = 1000;
constexpr size_t kSeenShown = 30;
constexpr wchar_t kNameSeparator[] = L" | ";

std::u16string asText(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::wstring fromUtf8(const std::string& text) { return codePageToWide(CP_UTF8, text.c_str()).get(); }

std::string readText(const wchar_t* path) {
    const std::optional<std::vector<uint8_t>> bytes = readExistingFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

}  // namespace

ProgramsForm::ProgramsForm(HWND parent, std::u16string text, std::u16string userName)
    : Dialog(IDD_PROGRAMS, parent), text_(std::move(text)), user_(std::move(userName)) {}

bool ProgramsForm::onInitDialog() {
    const std::wstring who = user_.empty() ? loadedString(IDS_CALENDAR_ALL_USERS) : asWide(user_);
    SetDlgItemTextW(hwnd(), IDC_PROGRAMS_USER, who.c_str());
    SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_NAMES, EM_LIMITTEXT, kNamesCapacity, 0);
    kWeek.limitText(hwnd());
    KeyValueDocument limits;
    limits.parse(text_);
    const std::vector<ProgramGroup> groups = programGroupsOf(limits, user_);
    for (const ProgramGroup& group : groups)
        SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_GROUP, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(asWide(group.name)));
    // The programs the children ran lately, as the guard noted them.
    SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_SEEN, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(loadedString(IDS_PROGRAMS_SEEN).c_str()));
    wchar_t path[MAX_PATH];
    const std::string list = guardRecordPath(kSeenProgramsFileName, path) ? readText(path) : std::string();
    for (const SeenProgram& program : seenProgramsOf(list)) {
        if (seen_.size() == kSeenShown) break;
        seen_.push_back(fromUtf8(program.fileName));
        const std::wstring shown =
            seen_.back() + (program.productName.empty() ? L"" : L" (" + fromUtf8(program.productName) + L")");
        SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_SEEN, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_SEEN, CB_SETCURSEL, 0, 0);
    if (!user_.empty() && ledgerPathOfUser(asWide(user_), path, kProgramHistoryExtension)) historyText_ = readText(path);
    if (!groups.empty()) SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_GROUP, CB_SETCURSEL, 0, 0);
    showGroup(groups.empty() ? std::u16string() : groups.front().name);
    return true;
}

bool ProgramsForm::keepEntries() {
    ProgramEntries entries{group_, fieldText(hwnd(), IDC_PROGRAMS_NAMES, kNamesCapacity), u"", kWeek.entries(hwnd())};
    KeyValueDocument limits;
    limits.parse(text_);
    const std::u16string alwaysKey = kProgramKeyPrefix + group_ + kAlwaysAllowedKey;
    const bool always = IsDlgButtonChecked(hwnd(), IDC_PROGRAMS_ALWAYS) == BST_CHECKED;
    // A child's box says only what differs from all users': "off" over their "on".
    const bool inheritedAlways = !user_.empty() && limitSetFor(limits, u"", alwaysKey) == u"on";
    entries.always = always == inheritedAlways ? u"" : always ? u"on" : u"off";
    const bool nothing = group_.empty() && entries.programs.empty() && !always &&
                         std::all_of(entries.week.begin(), entries.week.end(),
                                     [](const DayEntry& day) { return day.hours.empty() && day.minutes.empty(); });
    if (nothing) return true;
    bool badName = false;
    std::optional<BadEntry> bad;
    std::u16string text = withProgramEntries(text_, user_, entries, badName, bad);
    if (badName) {
        SetFocus(item(IDC_PROGRAMS_GROUP));
        errorBox(hwnd(), IDS_PROGRAMS_BAD_NAME, false);
        return false;
    }
    if (bad) {
        kWeek.pointOut(hwnd(), *bad);
        return false;
    }
    text_ = std::move(text);
    return true;
}

void ProgramsForm::showGroup(const std::u16string& group) {
    group_ = group;
    KeyValueDocument limits;
    limits.parse(text_);
    const std::u16string key = kProgramKeyPrefix + group;
    // No group yet: every field empty.
    const KeyValueDocument shown = group.empty() ? KeyValueDocument() : limits;
    SetDlgItemTextW(hwnd(), IDC_PROGRAMS_NAMES, asWide(limitSetFor(shown, user_, key).value_or(u"")));
    const std::u16string inherited = user_.empty() ? u"" : limitSetFor(shown, u"", key).value_or(u"");
    SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_NAMES, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(asWide(inherited)));
    kWeek.show(hwnd(), shown, user_, key + u".");
    CheckDlgButton(hwnd(), IDC_PROGRAMS_ALWAYS,
                   !group.empty() && limitFor(limits, user_, key + kAlwaysAllowedKey) == u"on" ? BST_CHECKED
                                                                                            : BST_UNCHECKED);
    const int32_t today = dayOf(localMinuteOf(systemUtcNow(), limitSetFor(limits, u"", kZoneKey).value_or(u"")));
    history_ = user_.empty() || group.empty() ? std::vector<HistoryDay>()
                                              : recentProgramDays(historyText_, group, today, kChartDays);
    InvalidateRect(item(IDC_PROGRAMS_HISTORY), nullptr, FALSE);
}

void ProgramsForm::addProgram(const std::wstring& name) {
    std::u16string names = fieldText(hwnd(), IDC_PROGRAMS_NAMES, kNamesCapacity);
    if (!names.empty()) names += asText(kNameSeparator);
    names += asText(name);
    SetDlgItemTextW(hwnd(), IDC_PROGRAMS_NAMES, asWide(names));
}

// A program's file picked in the common dialog: its file's name is the one
// the group knows it by (a renamed copy is still known by its version information).
void ProgramsForm::addProgramFile() {
    static const auto openFileDialog = systemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!openFileDialog) return;
    wchar_t chosen[MAX_PATH] = L"";
    const std::wstring filter = loadedString(IDS_PROGRAMS_EXE_FILTER) + L'\0' + L"*.exe" + L'\0' + L'\0';
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!openFileDialog(&dialog)) return;
    const wchar_t* slash = wcsrchr(chosen, L'\\');
    addProgram(slash ? slash + 1 : chosen);
}

bool ProgramsForm::onCommand(int id, int code) {
    if (id == IDC_PROGRAMS_GROUP && code == CBN_SELCHANGE) {
        const LRESULT chosen = SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_GROUP, CB_GETCURSEL, 0, 0);
        wchar_t name[kFieldCapacity + 1] = L"";
        if (chosen < 0 || SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_GROUP, CB_GETLBTEXTLEN, chosen, 0) > kFieldCapacity)
            return true;
        SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_GROUP, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(name));
        if (keepEntries()) showGroup(asText(name));
        return true;
    }
    if (id == IDC_PROGRAMS_GROUP && code == CBN_EDITCHANGE) {
        group_ = fieldText(hwnd(), IDC_PROGRAMS_GROUP);
        return true;
    }
    if (id == IDC_PROGRAMS_SEEN && code == CBN_SELCHANGE) {
        const LRESULT chosen = SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_SEEN, CB_GETCURSEL, 0, 0);
        if (chosen > 0 && static_cast<size_t>(chosen) <= seen_.size()) addProgram(seen_[static_cast<size_t>(chosen) - 1]);
        SendDlgItemMessageW(hwnd(), IDC_PROGRAMS_SEEN, CB_SETCURSEL, 0, 0);
        return true;
    }
    if (id == IDC_PROGRAMS_FILE && code == BN_CLICKED) {
        addProgramFile();
        return true;
    }
    return false;
}

void ProgramsForm::onOK() {
    if (keepEntries()) endDialog(IDOK);
}

bool ProgramsForm::onMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM) return false;
    const auto& drawn = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (drawn.CtlID != IDC_PROGRAMS_HISTORY) return false;
    drawHistoryChart(drawn, history_, reinterpret_cast<HFONT>(SendMessageW(drawn.hwndItem, WM_GETFONT, 0, 0)),
                     loadedString(IDS_PROGRAMS_NO_HISTORY).c_str(), loadedString(IDS_CALENDAR_SCALE).c_str());
    result = TRUE;
    return true;
}

#include "calendar/dialog/week_fields_win.h"

#include <commctrl.h>

#include <utility>

#include "calendar/child_limits.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

namespace {

constexpr int kMinutesCapacity = 4;  // 0 to 1440

const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

std::u16string fieldText(HWND dialog, int id, int capacity) {
    std::wstring text(static_cast<size_t>(capacity) + 1, L'\0');
    text.resize(static_cast<size_t>(GetDlgItemTextW(dialog, id, text.data(), capacity + 1)));
    return std::u16string(trimBlanks(std::u16string(text.begin(), text.end())));
}

void WeekFields::limitText(HWND dialog) const {
    for (int day = 0; day < kDaysPerWeek; ++day) {
        SendDlgItemMessageW(dialog, hoursId_ + day, EM_LIMITTEXT, kFieldCapacity, 0);
        SendDlgItemMessageW(dialog, minutesId_ + day, EM_LIMITTEXT, kMinutesCapacity, 0);
    }
}

WeekEntries WeekFields::entries(HWND dialog) const {
    WeekEntries week;
    for (int day = 0; day < kDaysPerWeek; ++day)
        week[static_cast<size_t>(day)] = {fieldText(dialog, hoursId_ + day), fieldText(dialog, minutesId_ + day)};
    return week;
}

void WeekFields::show(HWND dialog, const KeyValueDocument& limits, const std::u16string& user,
                      const std::u16string& prefix) const {
    for (int day = 0; day < kDaysPerWeek; ++day) {
        const std::u16string hours = prefix + weekdayKey(static_cast<size_t>(day));
        for (const auto& [id, key] : {std::pair{hoursId_ + day, hours}, {minutesId_ + day, budgetKeyOf(hours)}}) {
            SetDlgItemTextW(dialog, id, asWide(limitSetFor(limits, user, key).value_or(u"")));
            const std::u16string inherited = user.empty() ? u"" : limitSetFor(limits, u"", key).value_or(u"");
            SendDlgItemMessageW(dialog, id, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(asWide(inherited)));
        }
    }
}

void WeekFields::pointOut(HWND dialog, const BadEntry& bad) const {
    const int id = static_cast<int>(bad.day) + (bad.minutes ? minutesId_ : hoursId_);
    SetFocus(GetDlgItem(dialog, id));
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
    errorBox(dialog, IDS_CALENDAR_BAD_ENTRY, false);
}

#include "calendar/dialog/history_chart_win.h"

#include <algorithm>
#include <string>

#include "ui/solid_fill_win.h"

namespace {

constexpr COLORREF kBar = RGB(70, 130, 200);
constexpr COLORREF kOverLimit = RGB(215, 80, 55);
constexpr COLORREF kLimit = RGB(150, 20, 20);
constexpr COLORREF kAxis = RGB(120, 120, 120);

// Whole hours that hold every bar and limit, one at least.
int32_t scaleMinutes(const std::vector<HistoryDay>& days) {
    int32_t most = 60;
    for (const HistoryDay& day : days) most = std::max({most, day.minutes, day.limit});
    return (most + 59) / 60 * 60;
}

}  // namespace

void drawHistoryChart(const DRAWITEMSTRUCT& item, const std::vector<HistoryDay>& days, HFONT font,
                      const wchar_t* emptyText, const wchar_t* hoursFormat) {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    fillSolid(dc, area, GetSysColor(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    if (days.empty()) {
        DrawTextW(dc, emptyText, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
        return;
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int labels = metrics.tmHeight + 2;
    const int baseline = area.bottom - labels;
    const int plotTop = area.top + metrics.tmHeight / 2;
    const int32_t scale = scaleMinutes(days);
    auto yOf = [&](int32_t minutes) {
        return baseline - static_cast<int>(int64_t{baseline - plotTop} * minutes / scale);
    };
    const int slot = (area.right - area.left) / static_cast<int>(days.size());
    for (size_t i = 0; i < days.size(); ++i) {
        const HistoryDay& day = days[i];
        const int left = area.left + static_cast<int>(i) * slot;
        const int barLeft = left + slot / 5, barRight = left + slot - slot / 5;
        const bool over = day.limit >= 0 && day.minutes > day.limit;
        if (day.minutes > 0) fillSolid(dc, {barLeft, yOf(day.minutes), barRight, baseline}, over ? kOverLimit : kBar);
        if (day.limit >= 0) {
            const int y = yOf(day.limit);
            fillSolid(dc, {left + 1, y - 1, left + slot - 1, y + 1}, kLimit);
        }
        const std::string dayOfMonth = dateOf(day.day).substr(8);
        const std::wstring date(dayOfMonth.begin(), dayOfMonth.end());
        RECT place{left, baseline + 1, left + slot, area.bottom};
        DrawTextW(dc, date.c_str(), -1, &place, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    fillSolid(dc, {area.left, baseline, area.right, baseline + 1}, kAxis);
    wchar_t hours[64];
    wsprintfW(hours, hoursFormat, scale / 60);
    RECT corner{area.left + 2, area.top, area.right, baseline};
    DrawTextW(dc, hours, -1, &corner, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

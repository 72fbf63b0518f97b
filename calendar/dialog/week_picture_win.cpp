#include "calendar/dialog/week_picture_win.h"

#include "ui/solid_fill_win.h"

namespace {

constexpr COLORREF kAllowed = RGB(110, 190, 110);
constexpr COLORREF kClosed = RGB(220, 220, 220);
constexpr COLORREF kGrid = RGB(160, 160, 160);
constexpr int kHourStep = 6;

}  // namespace

void drawWeekPicture(const DRAWITEMSTRUCT& item, const WeeklyCalendar& week, HFONT font) {
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    fillSolid(dc, area, GetSysColor(COLOR_BTNFACE));
    // The hours' band on top lines the rows up with the dialog's rows of entries.
    const int height = area.bottom - area.top;
    const int band = height * 11 / 109;
    const int rowHeight = (height - band) / 7;
    const int width = area.right - area.left;
    auto xOf = [&](int32_t minute) {
        return area.left + static_cast<int>(int64_t{width - 1} * minute / kMinutesPerDay);
    };

    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (int hour = 0; hour <= 24; hour += kHourStep) {
        wchar_t label[4];
        const int length = wsprintfW(label, L"%d", hour);
        RECT place{xOf(hour * 60) - width, area.top, xOf(hour * 60) + width, area.top + band};
        const UINT align = hour == 0 ? DT_LEFT : hour == 24 ? DT_RIGHT : DT_CENTER;
        if (hour == 0) place.left = area.left;
        if (hour == 24) place.right = area.right;
        DrawTextW(dc, label, length, &place, align | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    // Each column asks the calendar itself, so the picture is the rule the
    // module keeps: day 7 is a Monday with a Sunday before it.
    for (int day = 0; day < kDaysPerWeek; ++day) {
        const int top = area.top + band + day * rowHeight + 1;
        const int bottom = top + rowHeight - 3;
        const LocalMinute midnight = LocalMinute{7 + day} * kMinutesPerDay;
        for (int x = 0; x < width;) {
            auto openAtColumn = [&](int column) {
                return week.openAt(midnight + int64_t{column} * kMinutesPerDay / width);
            };
            const bool open = openAtColumn(x);
            int end = x + 1;
            while (end < width && openAtColumn(end) == open) ++end;
            fillSolid(dc, {area.left + x, top, area.left + end, bottom}, open ? kAllowed : kClosed);
            x = end;
        }
        for (int hour = kHourStep; hour < 24; hour += kHourStep)
            fillSolid(dc, {xOf(hour * 60), top, xOf(hour * 60) + 1, bottom}, kGrid);
    }
    SelectObject(dc, oldFont);
}

#pragma once
#include <windows.h>

#include "calendar/weekly_calendar.h"

// The week at a glance, drawn into an owner-drawn control: a row a weekday,
// Monday on top, beside that day's entries; hours 0 to 24 across, green where
// the child may use the computer and grey where not. A window that crosses
// midnight ends on the next day's row.
void drawWeekPicture(const DRAWITEMSTRUCT& item, const WeeklyCalendar& week, HFONT font);

#pragma once
#include <windows.h>

#include <vector>

#include "control/usage_history.h"

// A user's last days as a bar chart in an owner-drawn control: a bar a day
// (its minutes, red where they passed the day's limit), the day's limit drawn
// across it, the day of the month below and the scale's hours in the corner.
// Without days, the empty text instead. The hours' format takes the scale's hours.
void drawHistoryChart(const DRAWITEMSTRUCT& item, const std::vector<HistoryDay>& days, HFONT font,
                      const wchar_t* emptyText, const wchar_t* hoursFormat);

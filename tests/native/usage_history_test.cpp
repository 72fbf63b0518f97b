#include <gtest/gtest.h>

#include "control/usage_history.h"

namespace {

// Dates across leap days; a day's line replaced in its place, a later one
// (the clock set back) kept after it, and the newest 120 days kept.
TEST(UsageHistory, DaysAreDatedInOrderAndKeptForFourMonths) {
    EXPECT_EQ(dateOf(0), "1601-01-01");
    EXPECT_EQ(dateOf(155569), "2026-12-08");
    EXPECT_EQ(dateOf(154556), "2024-02-29");
    std::string history = "not a history";
    for (int32_t day = 155000; day < 155130; ++day)
        history = withHistoryLine(history, historyLine(CalendarRecord{day, 5, 0, 1, 0}, 60));
    EXPECT_EQ(history.substr(0, history.find("\r\n") + 12), kHistoryHeader + ("\r\n" + dateOf(155010)));
    history = withHistoryLine(history, historyLine(CalendarRecord{155128, 7, 0, 2, 1}, -1));
    const std::string last = "\r\n" + dateOf(155128) + ";7;2;1;\r\n" + dateOf(155129) + ";5;1;0;60\r\n";
    EXPECT_EQ(history.substr(history.size() - last.size()), last);
}

}  // namespace

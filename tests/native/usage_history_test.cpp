#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "control/time_request.h"
#include "control/usage_history.h"
#include "simulated_evening.h"

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

// The chart's days: each date read back to its day, a day with no line (or a
// damaged one) shown unused, days outside the fortnight left out.
TEST(UsageHistory, TheChartReadsTheLastDaysBack) {
    for (int32_t day : {0, 154556, 154557, 155569, 200000}) EXPECT_EQ(dayOfDate(dateOf(day)), day);
    for (const char* date : {"2026-02-29", "2026-13-01", "2026-00-10", "1600-12-31", "2026-1-011", "date;minu"})
        EXPECT_EQ(dayOfDate(date), -1) << date;
    const std::string history = std::string(kHistoryHeader) + "\r\n" + dateOf(155550) + ";90;1;0;120\r\n" +
                                dateOf(155560) + ";45;0;1;\r\n" + dateOf(155561) + ";x;0;0;60\r\n" + dateOf(155562) +
                                ";30;0;0;99999\r\n" + dateOf(155569) + ";200;2;1;180";
    const std::vector<HistoryDay> days = recentDays(history, 155569, 14);
    ASSERT_EQ(days.size(), 14u);
    EXPECT_EQ(days.front().day, 155556);
    EXPECT_EQ(days.back().day, 155569);
    std::vector<std::pair<int32_t, int32_t>> shown;
    for (const HistoryDay& day : days)
        if (day.minutes || day.limit >= 0) shown.emplace_back(day.minutes, day.limit);
    EXPECT_EQ(shown, (std::vector<std::pair<int32_t, int32_t>>{{45, -1}, {30, -1}, {200, 180}}));
}

// Each group's line a day, replaced by date and group; the groups' 120 days
// up to the newest kept; a group's fortnight charted apart from the others'.
TEST(UsageHistory, ProgramGroupsKeepTheirOwnDays) {
    std::string history = "not a history";
    for (int32_t day = 155000; day < 155130; ++day)
        for (const char16_t* group : {u"Игры", u"Кино"})  // names of one length: only the name tells them apart
            history = withProgramHistoryLine(history, programHistoryLine(day, group, day % 50, 60));
    history = withProgramHistoryLine(history, programHistoryLine(155129, u"Игры", 70, 60));
    EXPECT_EQ(history.substr(0, history.find("\r\n") + 12), kProgramHistoryHeader + ("\r\n" + dateOf(155010)));
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 1 + 2 * 120);
    const std::vector<HistoryDay> games = recentProgramDays(history + "2026-12-0;Игры;5;\r\n", u"Игры", 155130, 3);
    const std::vector<HistoryDay> films = recentProgramDays(history, u"Кино", 155130, 3);
    EXPECT_EQ(std::make_pair(games[1].minutes, games[1].limit), std::make_pair(70, 60));
    EXPECT_EQ(games[2].minutes, 0);
    EXPECT_EQ(films[1].minutes, 155129 % 50);
}

}  // namespace

// A child's request for more time: answered by any later grant, and read
// back whole or not at all.
TEST(TimeRequest, AnsweredByALaterGrantAndReadWholeOrNotAtAll) {
    const TimeRequest asked{kEveningStart, 30, kEveningStart - kMinute, false, u"доделать проект"};
    EXPECT_FALSE(answeredBy(asked, kEveningStart - kMinute).granted) << "the grant before the request";
    EXPECT_TRUE(answeredBy(asked, kEveningStart + 30 * kMinute).granted);
    const std::vector<uint8_t> bytes = encodeTimeRequest(answeredBy(asked, kEveningStart + kMinute));
    const std::optional<TimeRequest> read = decodeTimeRequest(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(std::make_tuple(read->reason, read->granted, read->extraTimeBefore),
              std::make_tuple(asked.reason, true, asked.extraTimeBefore));
    for (size_t size : {size_t{0}, size_t{27}, bytes.size() - 1})
        EXPECT_FALSE(decodeTimeRequest(bytes.data(), size)) << size;
    std::vector<uint8_t> odd = bytes;
    odd[8] = 20;  // minutes nobody may ask for
    EXPECT_FALSE(decodeTimeRequest(odd.data(), odd.size()));
    const TimeRequest wordy{0, 15, 0, false, std::u16string(500, u'x')};
    EXPECT_EQ(decodeTimeRequest(encodeTimeRequest(wordy).data(), 28 + 2 * kReasonLimit)->reason.size(), kReasonLimit);
}

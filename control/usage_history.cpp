#include "control/usage_history.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "control/csv_text.h"

const char kHistoryHeader[] = "date;minutes;exercises;shutdowns;limit";
const char kProgramHistoryHeader[] = "date;group;minutes;limit";

namespace {

constexpr int32_t kDaysFrom1601To1970 = 134774;
constexpr size_t kDateLength = 10;

std::string dateKey(const std::string& line) { return line.substr(0, kDateLength); }

// A group's line's key: its date and group, all but its last two fields.
std::string dateAndGroupKey(const std::string& line) {
    const size_t limit = line.rfind(';');
    return line.substr(0, limit == std::string::npos || limit == 0 ? 0 : line.rfind(';', limit - 1) + 1);
}

// The record's lines under its header (text without it starts anew), with the
// line in place of the one of its key, else among them in the order of their
// keys, which start with the date and sort as text: a later line than the new
// one (a clock set back) stays after it.
std::vector<std::string> linesWith(const std::string& text, const char* header, const std::string& line,
                                   std::string (*keyOf)(const std::string&)) {
    std::vector<std::string> lines = csvLinesOf(text);
    if (lines.empty() || lines.front() != header) lines.assign(1, header);
    lines.erase(lines.begin());
    const std::string key = keyOf(line);
    size_t at = lines.size();
    while (at > 0 && keyOf(lines[at - 1]) >= key) --at;
    if (at < lines.size() && keyOf(lines[at]) == key)
        lines[at] = line;
    else
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    return lines;
}

std::string textOf(const char* header, const std::vector<std::string>& lines) {
    std::string text = std::string(header) + "\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The number written at the offset, saturated; -1 where none is.
long numberAt(const std::string& line, size_t at) {
    if (at >= line.size() || line[at] < '0' || line[at] > '9') return -1;
    return std::strtol(line.c_str() + at, nullptr, 10);
}

}  // namespace

std::string dateOf(int32_t day) {
    // Days since 1970 to the civil date (proleptic Gregorian), in eras of 400 years.
    const int64_t z = int64_t{day} - kDaysFrom1601To1970 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int64_t dayOfMonth = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[40];  // room for any three numbers, though dates need 11
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(dayOfMonth));
    return text;
}

int32_t dayOfDate(const std::string& date) {
    if (date.size() != kDateLength || date[4] != '-' || date[7] != '-') return -1;
    int64_t parts[3] = {};
    for (size_t i = 0, part = 0; i < kDateLength; ++i) {
        if (i == 4 || i == 7) {
            ++part;
            continue;
        }
        if (date[i] < '0' || date[i] > '9') return -1;
        parts[part] = parts[part] * 10 + (date[i] - '0');
    }
    const int64_t month = parts[1];
    const int64_t dayOfMonth = parts[2];
    if (parts[0] < 1601 || month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > 31) return -1;
    // The civil date to days since 1970, the inverse of dateOf's eras.
    const int64_t year = parts[0] - (month <= 2 ? 1 : 0);
    const int64_t era = year / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + dayOfMonth - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t day = era * 146097 + dayOfEra - 719468 + kDaysFrom1601To1970;
    // A day past its month's end ("2026-02-30") is no date.
    return dateOf(static_cast<int32_t>(day)) == date ? static_cast<int32_t>(day) : -1;
}

std::string historyLine(const CalendarRecord& day, int32_t limitMinutes) {
    return dateOf(day.budgetDay) + ";" + std::to_string(day.usedMinutes) + ";" + std::to_string(day.exercises) + ";" +
           std::to_string(day.shutdowns) + ";" + (limitMinutes >= 0 ? std::to_string(limitMinutes) : "");
}

std::string withHistoryLine(const std::string& history, const std::string& line) {
    std::vector<std::string> days = linesWith(history, kHistoryHeader, line, dateKey);
    if (days.size() > kHistoryDays) days.erase(days.begin(), days.end() - kHistoryDays);
    return textOf(kHistoryHeader, days);
}

namespace {

// The days up to today from lines that read "date;minutes;...;limit".
std::vector<HistoryDay> chartedDays(const std::vector<std::string>& lines, int32_t today, size_t count) {
    std::vector<HistoryDay> days(count);
    const int32_t first = today - static_cast<int32_t>(count) + 1;
    for (size_t i = 0; i < count; ++i) days[i].day = first + static_cast<int32_t>(i);
    for (const std::string& line : lines) {
        const int32_t day = dayOfDate(line.substr(0, kDateLength));
        if (day < first || day > today) continue;
        // date;minutes;exercises;shutdowns;limit
        if (line.size() <= kDateLength || line[kDateLength] != ';') continue;
        const long minutes = numberAt(line, kDateLength + 1);
        if (minutes < 0 || minutes > kMinutesPerDay * 2) continue;
        const long limit = numberAt(line, line.rfind(';') + 1);
        HistoryDay& shown = days[static_cast<size_t>(day - first)];
        shown.minutes = static_cast<int32_t>(minutes);
        shown.limit = limit >= 0 && limit <= kMinutesPerDay ? static_cast<int32_t>(limit) : -1;
    }
    return days;
}

}  // namespace

std::vector<HistoryDay> recentDays(const std::string& history, int32_t today, size_t count) {
    return chartedDays(csvLinesOf(history), today, count);
}

std::string programHistoryLine(int32_t day, const std::u16string& group, int32_t minutes, int32_t limitMinutes) {
    return dateOf(day) + ";" + csvFieldOf(group) + ";" + std::to_string(minutes) + ";" +
           (limitMinutes >= 0 ? std::to_string(limitMinutes) : "");
}

std::string withProgramHistoryLine(const std::string& history, const std::string& line) {
    std::vector<std::string> lines = linesWith(history, kProgramHistoryHeader, line, dateAndGroupKey);
    // The kHistoryDays days up to the newest are kept, whatever number of
    // groups they hold; a line without a date goes.
    int32_t newest = 0;
    for (const std::string& kept : lines) newest = std::max(newest, dayOfDate(kept.substr(0, kDateLength)));
    const int32_t oldest = std::max(newest - static_cast<int32_t>(kHistoryDays) + 1, 0);
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::string& kept) { return dayOfDate(kept.substr(0, kDateLength)) < oldest; }),
                lines.end());
    return textOf(kProgramHistoryHeader, lines);
}

std::vector<HistoryDay> recentProgramDays(const std::string& history, const std::u16string& group, int32_t today,
                                          size_t count) {
    // The group's lines, without their group, read as the computer's are.
    const std::string field = ";" + csvFieldOf(group) + ";";
    std::vector<std::string> lines;
    for (const std::string& line : csvLinesOf(history))
        if (line.size() > kDateLength && line.compare(kDateLength, field.size(), field) == 0)
            lines.push_back(line.substr(0, kDateLength) + line.substr(kDateLength + field.size() - 1));
    return chartedDays(lines, today, count);
}

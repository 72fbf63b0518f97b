#include "control/trick_log.h"

#include <vector>

#include "control/csv_text.h"
#include "control/usage_history.h"
#include "control/usage_time.h"

const char kTrickHeader[] = "time;user;trick";

namespace {

constexpr int64_t kUnitsPerDay = 24 * 60 * kUnitsPerMinute;

std::string twoDigits(int64_t value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

// The moment "2026-12-09 18:05" names; 0 where it names none.
uint64_t utcOf(const std::string& when) {
    const int32_t day = dayOfDate(when.substr(0, 10));
    if (day < 0 || when.size() != 16 || when[10] != ' ' || when[13] != ':') return 0;
    for (size_t at : {11, 12, 14, 15})
        if (when[at] < '0' || when[at] > '9') return 0;
    const int64_t hour = (when[11] - '0') * 10 + (when[12] - '0'), minute = (when[14] - '0') * 10 + (when[15] - '0');
    if (hour > 23 || minute > 59) return 0;
    return static_cast<uint64_t>(day * kUnitsPerDay + (hour * 60 + minute) * kUnitsPerMinute);
}

}  // namespace

std::string trickLine(uint64_t utc, const std::u16string& child, Trick trick) {
    const int64_t units = static_cast<int64_t>(utc);
    const int64_t day = units / kUnitsPerDay;  // since 1601, as the history counts days
    const int64_t minute = units % kUnitsPerDay / kUnitsPerMinute;
    return dateOf(static_cast<int32_t>(day)) + " " + twoDigits(minute / 60) + ":" + twoDigits(minute % 60) + ";" +
           csvFieldOf(child) + ";" + std::to_string(static_cast<uint32_t>(trick));
}

std::string withTrickLine(const std::string& log, const std::string& line) {
    std::vector<std::string> lines = csvLinesOf(log);
    if (lines.empty() || lines.front() != kTrickHeader) lines.assign(1, kTrickHeader);
    lines.push_back(line);
    if (lines.size() > kKeptTricks + 1) lines.erase(lines.begin() + 1, lines.end() - kKeptTricks);
    std::string text;
    for (const std::string& kept : lines) text += kept + "\r\n";
    return text;
}

std::vector<TrickEntry> tricksOf(const std::string& log) {
    std::vector<TrickEntry> tricks;
    const std::vector<std::string> lines = csvLinesOf(log);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const size_t first = line->find(';'), last = line->rfind(';');
        if (first == std::string::npos || first == last) continue;
        const std::string id = line->substr(last + 1);
        if (id.empty() || id.size() > 2 || id.find_first_not_of("0123456789") != std::string::npos) continue;
        const uint32_t trick = static_cast<uint32_t>(std::stoul(id));
        if (trick < 1 || trick > kLastTrick) continue;
        const std::string when = line->substr(0, first);
        tricks.push_back({when, utcOf(when), line->substr(first + 1, last - first - 1), static_cast<Trick>(trick)});
    }
    return tricks;
}


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
        if (id.size() != 1 || id[0] < '1' || id[0] > static_cast<char>('0' + kLastTrick)) continue;
        tricks.push_back({line->substr(0, first), line->substr(first + 1, last - first - 1),
                          static_cast<Trick>(id[0] - '0')});
    }
    return tricks;
}


#include "control/trick_log.h"

#include <vector>

#include "control/usage_history.h"
#include "control/usage_time.h"

const char kTrickHeader[] = "time;user;trick";

namespace {

constexpr int64_t kUnitsPerDay = 24 * 60 * kUnitsPerMinute;

std::string twoDigits(int64_t value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string utf8Of(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (unit >= 0xD800 && unit < 0xE000)
            unit = 0xFFFD;
        if (unit == ';' || unit == '\r' || unit == '\n') continue;
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += {static_cast<char>(0xC0 | unit >> 6), static_cast<char>(0x80 | (unit & 0x3F))};
        } else if (unit < 0x10000) {
            out += {static_cast<char>(0xE0 | unit >> 12), static_cast<char>(0x80 | ((unit >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (unit & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | unit >> 18), static_cast<char>(0x80 | ((unit >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((unit >> 6) & 0x3F)), static_cast<char>(0x80 | (unit & 0x3F))};
        }
    }
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string trickLine(uint64_t utc, const std::u16string& child, Trick trick) {
    const int64_t units = static_cast<int64_t>(utc);
    const int64_t day = units / kUnitsPerDay;  // since 1601, as the history counts days
    const int64_t minute = units % kUnitsPerDay / kUnitsPerMinute;
    return dateOf(static_cast<int32_t>(day)) + " " + twoDigits(minute / 60) + ":" + twoDigits(minute % 60) + ";" +
           utf8Of(child) + ";" + std::to_string(static_cast<uint32_t>(trick));
}

std::string withTrickLine(const std::string& log, const std::string& line) {
    std::vector<std::string> lines = linesOf(log);
    if (lines.empty() || lines.front() != kTrickHeader) lines.assign(1, kTrickHeader);
    lines.push_back(line);
    if (lines.size() > kKeptTricks + 1) lines.erase(lines.begin() + 1, lines.end() - kKeptTricks);
    std::string text;
    for (const std::string& kept : lines) text += kept + "\r\n";
    return text;
}

std::vector<TrickEntry> tricksOf(const std::string& log) {
    std::vector<TrickEntry> tricks;
    const std::vector<std::string> lines = linesOf(log);
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


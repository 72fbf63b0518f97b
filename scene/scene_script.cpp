#include "scene/scene_script.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "crypto/random.h"

namespace {

bool isScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One "%d": blanks, optional sign, at least one digit; saturates at int's limits.
bool scanNumber(const std::string& text, size_t& at, int64_t& number) {
    size_t i = at;
    while (i < text.size() && isScanSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), int64_t(INT_MAX) + 1);
    number = negative ? -magnitude : std::min<int64_t>(magnitude, INT_MAX);
    at = i;
    return true;
}

std::u16string decimal(int value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

int movieDurationMs(const std::string& time) {
    if (time == "infinity") return kNoTimeLimit;
    int64_t parts[3] = {0, 0, 0};
    const int64_t unitMs[3] = {60000, 1000, 1};
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && (at >= time.size() || time[at++] != ':')) break;
        if (!scanNumber(time, at, parts[i])) break;
    }
    int64_t total = parts[0] * unitMs[0] + parts[1] * unitMs[1] + parts[2];
    if (total < 0) return kNoTimeLimit;
    return static_cast<int>(std::min<int64_t>(total, INT_MAX));
}

SceneScript::SceneScript(ScriptLoader loader, RandomSource random, NarrowText narrow)
    : loader_(std::move(loader)), random_(random), narrow_(narrow) {}

bool SceneScript::load(const std::u16string& fileName) {
    if (fileName.empty()) return false;
    return loader_(u"info\\" + fileName, document_);
}

bool SceneScript::nextList() {
    ++listCounter_;
    std::u16string list = document_.textWithBreaks(u"swf-list" + decimal(listCounter_));
    if (list.empty()) return false;
    std::vector<std::u16string> entries;
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(u"\r\n", start);
        if (end == std::u16string::npos) end = list.size();
        std::u16string_view entry = trimBlanks(std::u16string_view(list).substr(start, end - start));
        if (!entry.empty()) entries.emplace_back(entry);
        start = end + 2;
    }
    movieCounter_ = 0;
    if (entries.empty()) return false;
    uint32_t chosen = randomInRange(0, static_cast<uint32_t>(entries.size()), random_);
    return load(entries[chosen < entries.size() ? chosen : 0]);
}

std::optional<MovieStep> SceneScript::nextMovie() {
    ++movieCounter_;
    std::u16string number = decimal(movieCounter_);
    std::u16string name = document_.text(u"swf" + number);
    std::string time = document_.ansiText(u"time" + number, narrow_);
    document_.remove(u"swf" + number);
    document_.remove(u"time" + number);
    if (time.empty()) return std::nullopt;
    return MovieStep{name, movieDurationMs(time)};
}

#include "common/key_value_document.h"

#include <climits>
#include <cstdint>

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool isNumberSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

std::u16string_view trimBlanks(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

void KeyValueDocument::parse(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    size_t position = !text.empty() && text.front() == u'\xFEFF' ? 1 : 0;
    while (position < text.size()) {
        size_t lineEnd = text.find(u"\r\n", position);
        size_t next = lineEnd == std::u16string_view::npos ? text.size() : lineEnd + 2;
        if (lineEnd == std::u16string_view::npos) lineEnd = text.size();
        std::u16string_view line = trimBlanks(text.substr(position, lineEnd - position));
        position = next;
        if (line.empty() || line.front() == u';') continue;
        size_t equals = line.find(u'=');
        std::u16string_view key = trimBlanks(line.substr(0, equals));
        std::u16string_view value =
            equals == std::u16string_view::npos ? std::u16string_view() : trimBlanks(line.substr(equals + 1));
        pairs_[std::u16string(key)] = std::u16string(value);
    }
}

void KeyValueDocument::parseBytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    parse(units);
}

bool KeyValueDocument::contains(const std::u16string& key) const { return pairs_.count(key) != 0; }

std::u16string KeyValueDocument::text(const std::u16string& key, const std::u16string& fallback) const {
    auto found = pairs_.find(key);
    return found == pairs_.end() ? fallback : found->second;
}

bool KeyValueDocument::flag(const std::u16string& key, bool fallback) const {
    std::u16string value = text(key);
    return value.empty() ? fallback : value == u"true";
}

int KeyValueDocument::number(const std::u16string& key, int fallback) const {
    std::u16string value = text(key);
    if (value.empty()) return fallback;
    size_t i = 0;
    while (i < value.size() && isNumberSpace(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) negative = value[i++] == u'-';
    int64_t magnitude = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (value[i] - u'0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::string KeyValueDocument::ansiText(const std::u16string& key, NarrowText narrow) const { return narrow(text(key)); }

std::u16string KeyValueDocument::textWithBreaks(const std::u16string& key, std::u16string_view separator) const {
    std::u16string value = text(key);
    if (separator.empty()) return value;
    // The search resumes after the inserted CR LF, so a separator that CR LF
    // itself contains cannot be replaced again and again.
    for (size_t at = value.find(separator); at != std::u16string::npos; at = value.find(separator, at + 2))
        value.replace(at, separator.size(), u"\r\n");
    return value;
}

void KeyValueDocument::remove(const std::u16string& key) { pairs_.erase(key); }

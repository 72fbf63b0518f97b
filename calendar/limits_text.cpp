#include "calendar/limits_text.h"

#include "content/lower_case.h"
#include "common/key_value_document.h"

namespace {

// Whether the line sets the key, compared as Windows compares user names.
bool setsKey(std::u16string_view line, const std::u16string& lowerKey) {
    line = trimBlanks(line);
    if (line.empty() || line.front() == u';') return false;
    return lowerCase(std::u16string(trimBlanks(line.substr(0, line.find(u'='))))) == lowerKey;
}

}  // namespace

std::u16string withLimit(std::u16string_view text, const std::u16string& key, std::u16string_view value) {
    const std::u16string lowerKey = lowerCase(key);
    const std::u16string setting = value.empty() ? std::u16string() : key + u" = " + std::u16string(value) + u"\r\n";
    std::u16string result;
    bool written = false;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(u"\r\n", at);
        const size_t next = end == std::u16string_view::npos ? text.size() : end + 2;
        const std::u16string_view line = text.substr(at, (end == std::u16string_view::npos ? text.size() : end) - at);
        at = next;
        if (!setsKey(line, lowerKey)) {
            result.append(line).append(u"\r\n");
        } else if (!written) {
            result += setting;
            written = true;
        }
    }
    if (!written) result += setting;
    return result;
}

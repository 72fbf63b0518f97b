#include "control/video_title.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::u16string_view kPatterns[] = {
    u"windows media", u".avi", u".wmv", u".mpg", u".mpeg", u".flv", u".mov", u".mkv", u".mp4", u".rm", u".ram", u".3gp",
};
constexpr std::u16string_view kSeparator = u" - ";

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

bool isVideoTitle(std::u16string_view title) {
    std::u16string lowered(title);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), lowerAscii);
    const std::u16string_view text(lowered);
    for (std::u16string_view pattern : kPatterns) {
        const size_t found = text.find(pattern);
        if (found == std::u16string_view::npos) continue;
        const std::u16string_view rest = text.substr(found + pattern.size());
        if (rest.size() <= kSeparator.size() || rest.substr(0, kSeparator.size()) == kSeparator) return true;
    }
    return false;
}

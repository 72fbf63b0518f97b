#include "shell/path_steps.h"

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// The length of "X:\" at `at`, or 0.
size_t driveRootAt(std::u16string_view path, size_t at) {
    const bool drive = path.size() >= at + 3 && isLetter(path[at]) && path[at + 1] == u':' && isSeparator(path[at + 2]);
    return drive ? at + 3 : 0;
}

// The length of "server\share\" at `at`, or 0 when either name is empty.
size_t shareRootAt(std::u16string_view path, size_t at) {
    size_t end = at;
    for (int name = 0; name < 2; ++name) {
        const size_t start = end;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        if (end == start) return 0;
        if (end < path.size()) ++end;
    }
    return end;
}

}  // namespace

size_t pathRootLength(std::u16string_view path) {
    static constexpr std::u16string_view kLongPrefix = u"\\\\?\\", kLongShare = u"UNC\\";
    size_t root = 0;
    if (path.substr(0, kLongPrefix.size()) == kLongPrefix) {
        const size_t at = kLongPrefix.size();
        root = path.substr(at, kLongShare.size()) == kLongShare ? shareRootAt(path, at + kLongShare.size())
                                                                : driveRootAt(path, at);
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        root = shareRootAt(path, 2);
    } else {
        root = driveRootAt(path, 0);
    }
    return root < path.size() ? root : 0;
}

#include "shell/path_steps.h"

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// The length of "X:\" at `at`, or 0.
size_t driveRootAt(const std::u16string& path, size_t at) {
    const bool drive = path.size() >= at + 3 && isLetter(path[at]) && path[at + 1] == u':' && isSeparator(path[at + 2]);
    return drive ? at + 3 : 0;
}

// The length of "server\share\" at `at`, or 0 when either name is empty.
size_t shareRootAt(const std::u16string& path, size_t at) {
    size_t end = at;
    for (int name = 0; name < 2; ++name) {
        const size_t start = end;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        if (end == start) return 0;
        if (end < path.size()) ++end;
    }
    return end;
}

size_t rootLength(const std::u16string& path) {
    static const std::u16string kLongPrefix = u"\\\\?\\", kLongShare = u"UNC\\";
    if (path.compare(0, kLongPrefix.size(), kLongPrefix) == 0) {
        const size_t at = kLongPrefix.size();
        if (path.compare(at, kLongShare.size(), kLongShare) == 0) return shareRootAt(path, at + kLongShare.size());
        return driveRootAt(path, at);
    }
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) return shareRootAt(path, 2);
    return driveRootAt(path, 0);
}

}  // namespace

std::vector<std::u16string> pathSteps(const std::u16string& path) {
    std::vector<std::u16string> steps;
    const size_t root = rootLength(path);
    if (root == 0 || root >= path.size()) return steps;
    for (size_t at = root; at <= path.size(); ++at) {
        const bool endOfName = at == path.size() || isSeparator(path[at]);
        if (endOfName && at > 0 && !isSeparator(path[at - 1])) steps.push_back(path.substr(0, at));
    }
    return steps;
}

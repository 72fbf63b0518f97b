#pragma once
#include <cstddef>
#include <string_view>

// The length of an absolute path's root: "C:\", "\\server\share\", "\\?\C:\"
// or "\\?\UNC\server\share\" (either slash separates); 0 for a path without
// one (relative, "C:a", a bare server).
size_t pathRootLength(std::u16string_view path);

// Calls visit(length) for the folders an absolute path passes through below
// its root, then for the path itself, shortest first: "C:\a\b\f" gives the
// lengths of "C:\a", "C:\a\b" and "C:\a\b\f". Nothing for a path without a
// root. It allocates nothing: the hand-over file is wiped with it.
template <typename Visit>
void forEachPathStep(std::u16string_view path, Visit visit) {
    const size_t root = pathRootLength(path);
    if (root == 0) return;
    for (size_t at = root + 1; at <= path.size(); ++at) {
        const bool endOfName = at == path.size() || path[at] == u'\\' || path[at] == u'/';
        const char16_t last = path[at - 1];
        if (endOfName && last != u'\\' && last != u'/') visit(at);
    }
}

// Lists a content archive and checks every file in it.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tools/vfs_tool_support.h"

namespace {

const char kUsage[] =
    "usage: vfsls ARCHIVE\n"
    "Lists every record of the content archive in directory order: plain size,\n"
    "stored size, check result (ok, DAMAGED, or 'hidden' for a record that a\n"
    "later one of the same name hides) and path. Exit status 1 when a file is\n"
    "damaged or folders nest too deep to list.\n";

// Deeper folders are reported instead of listed: their paths alone would make
// the listing grow with the square of the depth.
constexpr size_t kDeepestListed = 256;

struct Listed {
    VfsEntry* entry;
    bool hidden;  // a later record of the same name hides it
};

// Siblings are linked last record first; the listing shows directory order.
std::vector<Listed> inRecordOrder(VfsEntry* first) {
    std::vector<Listed> entries;
    std::unordered_set<std::u16string> seen;
    for (VfsEntry* entry = first; entry; entry = entry->next)
        entries.push_back({entry, !seen.insert(entry->name).second});
    std::reverse(entries.begin(), entries.end());
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 2) {
        std::cerr << kUsage;
        return 2;
    }
    std::unique_ptr<VfsArchive> archive = openArchiveForTool("vfsls", argv[1]);
    if (!archive) return 1;

    int damaged = 0;
    bool tooDeep = false;
    // Depth-first without recursion: an archive may nest folders very deep.
    struct Pending {
        Listed listed;
        std::u16string parent;
        size_t depth;
    };
    std::vector<Pending> pending;
    auto pushLevel = [&](VfsEntry* first, const std::u16string& parent, size_t depth) {
        std::vector<Listed> level = inRecordOrder(first);
        for (auto it = level.rbegin(); it != level.rend(); ++it) pending.push_back({*it, parent, depth});
    };
    pushLevel(const_cast<VfsEntry*>(archive->root()), u"", 1);
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        VfsEntry* entry = next.listed.entry;
        std::u16string path = next.parent + entry->name;
        if (entry->isFolder()) {
            std::cout << "         -          - folder  " << utf8(path) << "/\n";
            if (next.depth < kDeepestListed)
                pushLevel(entry->firstChild, path + u"/", next.depth + 1);
            else if (entry->firstChild)
                tooDeep = true;
            continue;
        }
        const char* state = "hidden ";
        if (!next.listed.hidden) {
            bool readable = archive->read(*entry) != nullptr;
            state = readable ? "ok     " : "DAMAGED";
            damaged += !readable;
        }
        std::cout.width(10);
        std::cout << entry->plainSize << ' ';
        std::cout.width(10);
        std::cout << entry->storedSize << ' ' << state << ' ' << utf8(path) << '\n';
    }
    if (tooDeep) std::cerr << "vfsls: folders nested deeper than " << kDeepestListed << " levels are not listed\n";
    if (damaged) std::cerr << "vfsls: " << damaged << " damaged files\n";
    return damaged || tooDeep ? 1 : 0;
}

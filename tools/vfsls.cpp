// Lists a content archive and checks every file in it.
#include <cstring>
#include <iostream>
#include <utility>
#include <vector>

#include "tools/vfs_tool_support.h"

namespace {

const char kUsage[] =
    "usage: vfsls ARCHIVE\n"
    "Lists every record of the content archive in directory order: plain size,\n"
    "stored size, check result (ok, DAMAGED, or 'hidden' for a record that a\n"
    "later one of the same name hides) and path. Exit status 1 when a file is damaged.\n";

// Siblings are linked last record first; the listing shows directory order.
std::vector<VfsEntry*> inRecordOrder(VfsEntry* first) {
    std::vector<VfsEntry*> entries;
    for (VfsEntry* entry = first; entry; entry = entry->next) entries.insert(entries.begin(), entry);
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
    // Depth-first without recursion: an archive may nest folders very deep.
    std::vector<std::pair<VfsEntry*, std::u16string>> pending;
    std::vector<VfsEntry*> top = inRecordOrder(const_cast<VfsEntry*>(archive->root()));
    for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(*it, u"");
    while (!pending.empty()) {
        auto [entry, parent] = pending.back();
        pending.pop_back();
        std::u16string path = parent + entry->name;
        if (entry->isFolder()) {
            std::cout << "         -          - folder  " << utf8(path) << "/\n";
            std::vector<VfsEntry*> children = inRecordOrder(entry->firstChild);
            for (auto it = children.rbegin(); it != children.rend(); ++it) pending.emplace_back(*it, path + u"/");
            continue;
        }
        const char* state = "hidden ";
        if (vfsFindEntry(archive.get(), path) == entry) {
            bool readable = archive->read(*entry) != nullptr;
            state = readable ? "ok     " : "DAMAGED";
            damaged += !readable;
        }
        std::cout.width(10);
        std::cout << entry->plainSize << ' ';
        std::cout.width(10);
        std::cout << entry->storedSize << ' ' << state << ' ' << utf8(path) << '\n';
    }
    if (damaged) std::cerr << "vfsls: " << damaged << " damaged files\n";
    return damaged ? 1 : 0;
}

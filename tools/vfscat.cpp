// Extracts one file of a content archive.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>

#include "tools/vfs_tool_support.h"

namespace {

const char kUsage[] =
    "usage: vfscat ARCHIVE PATH [OUTPUT]\n"
    "Writes the content of the file PATH of the content archive to OUTPUT, or to\n"
    "standard output. PATH is looked up as the program does: case folded, '/' or\n"
    "'\\' between folders.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 3 && argc != 4) {
        std::cerr << kUsage;
        return 2;
    }
    std::unique_ptr<VfsArchive> archive = openArchiveForTool("vfscat", argv[1]);
    if (!archive) return 1;
    VfsEntry* entry = vfsFindEntry(archive.get(), utf16(argv[2]));
    if (!entry) {
        std::cerr << "vfscat: no '" << argv[2] << "' in " << argv[1] << '\n';
        return 1;
    }
    if (entry->isFolder()) {
        std::cerr << "vfscat: '" << argv[2] << "' is a folder\n";
        return 1;
    }
    VfsBuffer content = archive->read(*entry);
    if (!content) {
        std::cerr << "vfscat: '" << argv[2] << "' is damaged (it fails its check)\n";
        return 1;
    }
    std::ofstream file;
    if (argc == 4) file.open(argv[3], std::ios::binary | std::ios::trunc);
    std::ostream& out = argc == 4 ? file : std::cout;
    out.write(reinterpret_cast<const char*>(content.get()), entry->plainSize);
    out.flush();
    if (!out) {
        std::cerr << "vfscat: cannot write " << (argc == 4 ? argv[3] : "the output") << '\n';
        return 1;
    }
    return 0;
}

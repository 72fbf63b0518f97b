// Builds a content archive from the files under a folder.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <vector>

#include "tools/writers/archive_writer.h"
#include "content/lower_case.h"
#include "crypto/random.h"
#include "tools/vfs_tool_support.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: vfspack FOLDER ARCHIVE\n"
    "Packs every file under FOLDER into the content archive ARCHIVE (written anew).\n"
    "Paths inside the archive are relative to FOLDER and stored in lower case;\n"
    "each file is zlib-compressed when that makes it smaller, then encrypted.\n";

// Largest content whose stored size (payload + IV) still fits 32 bits.
constexpr std::uintmax_t kLargestFile = 0xFFFFFFFFu - 8 - 1024;

int fail(const std::string& message) {
    std::cerr << "vfspack: " << message << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 3) {
        std::cerr << kUsage;
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    if (!fs::is_directory(folder, error)) return fail("'" + folder.string() + "' is not a folder");

    // The archive itself may be written into the folder it packs: never pack it.
    const fs::path output = fs::weakly_canonical(argv[2], error);
    std::map<std::u16string, fs::path> files;  // archive path in lower case -> file
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (!it->is_regular_file(error) || fs::weakly_canonical(it->path(), error) == output) continue;
        std::u16string inside = lowerCase(it->path().lexically_relative(folder).generic_u16string());
        auto [existing, added] = files.emplace(inside, it->path());
        if (!added)
            return fail("'" + it->path().string() + "' and '" + existing->second.string() +
                        "' have the same name in lower case");
    }
    if (error) return fail("cannot list '" + folder.string() + "': " + error.message());

    const VfsCodec codec = VfsCodec::standard();
    VfsWriter writer(codec, randomBytes);
    for (const auto& [inside, path] : files) {
        if (fs::file_size(path, error) > kLargestFile || error) return fail("'" + path.string() + "' is too large");
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) return fail("cannot read '" + path.string() + "'");
        if (!writer.addFile(inside, std::move(content), Compression::WhenSmaller))
            return fail("'" + utf8(inside) + "' is both a file and a folder");
    }
    std::vector<uint8_t> archive = writer.build();
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) return fail(std::string("cannot write '") + argv[2] + "'");
    std::cout << "vfspack: " << files.size() << " files, " << archive.size() << " bytes in " << argv[2] << '\n';
    return 0;
}

#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/random.h"
#include "content/vfs_codec.h"

enum class Compression { Never, WhenSmaller, Always };

// One item as it is stored: the IV, then the cipher text, round_up(S, 8) bytes.
struct EncodedItem {
    std::vector<uint8_t> bytes;
    uint32_t storedSize = 0;
    uint32_t plainSize = 0;
    uint32_t checkValue = 0;
    bool compressed = false;
};

// Compresses (zlib, when asked and when it pays), encrypts under a random IV
// whose bit 0 tells whether the payload is compressed, and computes the check.
EncodedItem encodeVfsItem(const VfsCodec& codec, const void* content, size_t size, Compression compression,
                          RandomSource random);

// Directory records: a file, a folder (whose records follow up to its end
// marker), the end marker. Names are written as given.
void appendVfsFileRecord(std::vector<uint8_t>& directory, std::u16string_view name, uint64_t offset,
                         const EncodedItem& item);
void appendVfsFolderRecord(std::vector<uint8_t>& directory, std::u16string_view name);
void appendVfsEndMarker(std::vector<uint8_t>& directory);

// Header, directory item and data area (whose items sit at the offsets the
// directory gives, counted from its first byte).
std::vector<uint8_t> assembleVfsArchive(const EncodedItem& directory, const std::vector<uint8_t>& dataArea);

// Builds a whole archive from files given by path; folders come from the
// path's components, names are stored in lower case.
class VfsWriter {
public:
    VfsWriter(const VfsCodec& codec, RandomSource random) : codec_(codec), random_(random) {}
    // False when the path has no name or a component is already a file.
    bool addFile(std::u16string_view path, std::vector<uint8_t> content, Compression compression);
    std::vector<uint8_t> build() const;

private:
    struct Node {
        bool folder = true;
        std::vector<uint8_t> content;
        Compression compression = Compression::Never;
        std::map<std::u16string, Node> children;
    };
    void write(const Node& folder, std::vector<uint8_t>& directory, std::vector<uint8_t>& data) const;

    const VfsCodec& codec_;
    RandomSource random_;
    Node root_;
};

#pragma once
// Archives put together record by record, for the archive's tests and fuzzer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "content/archive.h"
#include "tools/writers/archive_writer.h"

inline const VfsCodec& codec() {
    static const VfsCodec standard = VfsCodec::standard();
    return standard;
}

// Padding that is the same at every run.
inline void fixedBytes(void* buffer, size_t length) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(0x90 + i);
}

inline std::string textOf(const VfsBuffer& buffer, uint32_t size) {
    return std::string(reinterpret_cast<const char*>(buffer.get()), size);
}

// The content read at the path, or "<null>" when the read fails.
inline std::string readText(VfsArchive* archive, std::u16string_view path) {
    uint32_t size = 0;
    VfsBuffer buffer = vfsReadFile(archive, path, &size);
    return buffer ? textOf(buffer, size) : "<null>";
}

// An archive of one directory and the data area holding the given items in order.
struct ArchiveBuilder {
    std::vector<uint8_t> directory;
    std::vector<uint8_t> data;

    uint64_t add(const EncodedItem& item) {
        uint64_t offset = data.size();
        data.insert(data.end(), item.bytes.begin(), item.bytes.end());
        return offset;
    }
    void file(std::u16string_view name, const std::string& content, Compression compression = Compression::Never) {
        EncodedItem item = encodeVfsItem(codec(), content.data(), content.size(), compression, fixedBytes);
        appendVfsFileRecord(directory, name, add(item), item);
    }
    std::vector<uint8_t> build(Compression directoryCompression = Compression::WhenSmaller) const {
        return assembleVfsArchive(encodeVfsItem(codec(), directory.data(), directory.size(), directoryCompression,
                                                fixedBytes),
                                  data);
    }
};

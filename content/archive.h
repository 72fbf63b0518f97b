#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "content/byte_source.h"
#include "content/vfs_codec.h"

enum class VfsCheckState { Unchecked, Verified, Failed };

// Reasons of the last failure of an archive.
enum VfsError {
    kVfsNoError = 0,
    kVfsNotAnArchive = 2,  // also: the directory could not be decoded
    kVfsCheckFailed = 4,   // an item failed its check or cannot be read
    kVfsNotFound = 5,
};

constexpr uint32_t kVfsMarker = 0xFFFFFFFF;
constexpr size_t kVfsHeaderSize = 16;
constexpr size_t kVfsRecordSize = 24;

// One file or folder of the directory. Siblings are linked in reverse order of
// their records, so a later record hides an earlier one of the same name.
struct VfsEntry {
    VfsEntry* next = nullptr;
    VfsEntry* firstChild = nullptr;
    std::u16string name;
    uint32_t offsetLow = 0;
    uint32_t offsetHigh = 0;
    uint32_t plainSize = 0;
    uint32_t storedSize = 0;
    uint32_t reserved = 0;
    uint32_t checkValue = 0;
    VfsCheckState check = VfsCheckState::Unchecked;

    bool isFolder() const { return offsetLow == kVfsMarker && offsetHigh == kVfsMarker; }
    uint64_t offset() const { return uint64_t(offsetHigh) << 32 | offsetLow; }
};

// A buffer of content followed by two zero bytes, owned by the caller.
using VfsBuffer = std::unique_ptr<uint8_t[]>;

// A mounted content archive. Every size, offset and name in the file is
// checked against the file's real size before it is used: a damaged archive
// or item is refused, never read beyond its bounds.
class VfsArchive {
public:
    // Reads the header and the directory; null when the source is not an
    // archive or its directory cannot be decoded (error: kVfsNotAnArchive).
    static std::unique_ptr<VfsArchive> mount(std::unique_ptr<ByteSource> source, VfsCodec codec,
                                             std::u16string fileName, int* error = nullptr);

    // Folded to lower case; '/' and '\' separate, empty components are skipped.
    // May be a folder. Null and lastError kVfsNotFound when absent.
    VfsEntry* find(std::u16string_view path);
    // The item's content and two zero bytes; null for a folder or an item that
    // cannot be read or fails its check (checked on the first read only).
    VfsBuffer read(VfsEntry& entry);

    const VfsEntry* root() const { return root_; }
    const std::u16string& fileName() const { return fileName_; }
    uint64_t dataBase() const { return dataBase_; }
    int lastError() const { return lastError_; }

private:
    VfsArchive(std::unique_ptr<ByteSource> source, VfsCodec codec, std::u16string fileName);
    void parseDirectory(const uint8_t* directory, size_t size);
    // Null when the item lies outside the file or cannot give plainSize bytes.
    VfsBuffer decodeItem(uint64_t fileOffset, uint32_t storedSize, uint32_t plainSize);

    std::unique_ptr<ByteSource> source_;
    VfsCodec codec_;
    std::u16string fileName_;
    std::deque<VfsEntry> entries_;
    VfsEntry* root_ = nullptr;
    uint64_t dataBase_ = 0;
    int lastError_ = kVfsNoError;
};

VfsEntry* vfsFindEntry(VfsArchive* archive, std::u16string_view path);
// Null for a null archive; size receives the entry's plainSize whenever the
// entry is found, even if reading it fails.
VfsBuffer vfsReadFile(VfsArchive* archive, std::u16string_view path, uint32_t* size);

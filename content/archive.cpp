#include "content/archive.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "common/deflate_limit.h"
#include "content/lower_case.h"

namespace {

uint32_t readLittle32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool isSeparator(char16_t unit) { return unit == u'/' || unit == u'\\'; }

}  // namespace

VfsArchive::VfsArchive(std::unique_ptr<ByteSource> source, VfsCodec codec, std::u16string fileName)
    : source_(std::move(source)), codec_(std::move(codec)), fileName_(std::move(fileName)) {}

std::unique_ptr<VfsArchive> VfsArchive::mount(std::unique_ptr<ByteSource> source, VfsCodec codec,
                                              std::u16string fileName, int* error) {
    if (error) *error = kVfsNotAnArchive;
    uint8_t header[kVfsHeaderSize];
    if (!source || !source->read(0, header, sizeof header) || std::memcmp(header, "VFS", 3) != 0) return nullptr;
    std::unique_ptr<VfsArchive> archive(new VfsArchive(std::move(source), std::move(codec), std::move(fileName)));
    const uint32_t dirPlainSize = readLittle32(header + 4);
    const uint32_t dirStoredSize = readLittle32(header + 8);
    VfsBuffer directory = archive->decodeItem(kVfsHeaderSize, dirStoredSize, dirPlainSize);
    if (!directory || archive->codec_.checkValue(directory.get(), dirPlainSize) != readLittle32(header + 12))
        return nullptr;
    archive->parseDirectory(directory.get(), dirPlainSize);
    archive->dataBase_ = kVfsHeaderSize + roundUpToBlock(dirStoredSize);
    if (error) *error = kVfsNoError;
    return archive;
}

// Iterative, so that folders nested a million deep need no deeper stack.
void VfsArchive::parseDirectory(const uint8_t* directory, size_t size) {
    std::vector<VfsEntry**> levels{&root_};
    size_t position = 0;
    while (size - position >= kVfsRecordSize) {
        uint32_t fields[6];
        for (int i = 0; i < 6; ++i) fields[i] = readLittle32(directory + position + 4 * i);
        position += kVfsRecordSize;
        const bool marked = fields[0] == kVfsMarker && fields[1] == kVfsMarker;
        if (marked && fields[2] == kVfsMarker) {
            if (levels.size() == 1) return;
            levels.pop_back();
            continue;
        }
        size_t nameEnd = position;
        while (nameEnd + 2 <= size && (directory[nameEnd] | directory[nameEnd + 1]) != 0) nameEnd += 2;
        if (nameEnd + 2 > size) return;  // a name without terminator ends the directory
        VfsEntry& entry = entries_.emplace_back();
        entry.name.resize((nameEnd - position) / 2);
        for (size_t i = 0; i < entry.name.size(); ++i)
            entry.name[i] = static_cast<char16_t>(directory[position + 2 * i] | directory[position + 2 * i + 1] << 8);
        position = nameEnd + 2;
        entry.offsetLow = fields[0];
        entry.offsetHigh = fields[1];
        entry.plainSize = fields[2];
        entry.storedSize = fields[3];
        entry.reserved = fields[4];
        entry.checkValue = fields[5];
        entry.next = *levels.back();
        *levels.back() = &entry;
        if (marked) levels.push_back(&entry.firstChild);
    }
}

VfsBuffer VfsArchive::decodeItem(uint64_t fileOffset, uint32_t storedSize, uint32_t plainSize) {
    const uint64_t fileSize = source_->size();
    const uint64_t readSize = roundUpToBlock(storedSize);
    if (storedSize < 8 || fileOffset > fileSize || readSize > fileSize - fileOffset ||
        readSize > std::numeric_limits<size_t>::max())
        return nullptr;
    // Content and its two zero bytes; wraps only where size_t has 32 bits.
    const size_t contentSize = size_t(plainSize) + 2;
    if (contentSize < 2) return nullptr;
    const uint64_t payloadSize = storedSize - 8;
    std::unique_ptr<uint8_t[]> item(new (std::nothrow) uint8_t[readSize]);
    if (!item || !source_->read(fileOffset, item.get(), readSize)) return nullptr;
    const bool compressed = (item[0] & 1) != 0;
    if (plainSize > payloadSize * (compressed ? kMostDeflateExpansion : 1)) return nullptr;
    VfsBuffer content(new (std::nothrow) uint8_t[contentSize]);
    if (!content) return nullptr;
    content[contentSize - 2] = content[contentSize - 1] = 0;
    // Content shorter than plainSize would hand the caller bytes never written.
    if (codec_.decode(item.get(), storedSize, content.get(), plainSize) != std::optional<size_t>(plainSize))
        return nullptr;
    return content;
}

VfsEntry* VfsArchive::find(std::u16string_view path) {
    std::u16string folded = lowerCase(path);
    std::u16string_view rest = folded;
    while (!rest.empty() && isSeparator(rest.front())) rest.remove_prefix(1);
    if (!rest.empty() && isSeparator(rest.back())) rest.remove_suffix(1);
    VfsEntry* level = root_;
    VfsEntry* found = nullptr;
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !isSeparator(rest[end])) ++end;
        std::u16string_view component = rest.substr(0, end);
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
        if (component.empty()) continue;
        found = nullptr;
        for (VfsEntry* entry = level; entry; entry = entry->next)
            if (entry->name == component) {
                found = entry;
                break;
            }
        if (!found) break;
        level = found->firstChild;
    }
    if (!found) lastError_ = kVfsNotFound;
    return found;
}

VfsBuffer VfsArchive::read(VfsEntry& entry) {
    if (entry.check == VfsCheckState::Failed || entry.isFolder() || entry.storedSize < 8) {
        lastError_ = kVfsCheckFailed;
        return nullptr;
    }
    const uint64_t room = source_->size() - dataBase_;
    VfsBuffer content =
        entry.offset() > room ? nullptr : decodeItem(dataBase_ + entry.offset(), entry.storedSize, entry.plainSize);
    if (content && entry.check == VfsCheckState::Unchecked)
        entry.check = codec_.checkValue(content.get(), entry.plainSize) == entry.checkValue ? VfsCheckState::Verified
                                                                                            : VfsCheckState::Failed;
    if (!content || entry.check == VfsCheckState::Failed) {
        entry.check = VfsCheckState::Failed;
        lastError_ = kVfsCheckFailed;
        return nullptr;
    }
    return content;
}

VfsEntry* vfsFindEntry(VfsArchive* archive, std::u16string_view path) {
    return archive ? archive->find(path) : nullptr;
}

VfsBuffer vfsReadFile(VfsArchive* archive, std::u16string_view path, uint32_t* size) {
    VfsEntry* entry = vfsFindEntry(archive, path);
    if (!entry) return nullptr;
    if (size) *size = entry->plainSize;
    return archive->read(*entry);
}

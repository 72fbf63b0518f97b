// Mounts fuzzed archives, walks the whole directory tree and reads every file;
// whatever is read must carry its two zero bytes. The first byte chooses the
// input's form: odd, the rest is an archive file; even, the rest is the plain
// directory content, wrapped into an archive with a valid directory check and
// a data area holding the items "abc" (offset 0) and 100 compressed zeros
// (offset 16), so that mutations reach the directory parser.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "../native/archive_support.h"

namespace {

std::vector<uint8_t> archiveAround(const uint8_t* directory, size_t size) {
    static const std::vector<uint8_t> dataArea = [] {
        EncodedItem text = encodeVfsItem(codec(), "abc", 3, Compression::Never, fixedBytes);
        std::vector<uint8_t> zeros(100);
        EncodedItem packed = encodeVfsItem(codec(), zeros.data(), zeros.size(), Compression::Always, fixedBytes);
        std::vector<uint8_t> area = text.bytes;
        area.insert(area.end(), packed.bytes.begin(), packed.bytes.end());
        return area;
    }();
    return assembleVfsArchive(encodeVfsItem(codec(), directory, size, Compression::Never, fixedBytes), dataArea);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> bytes =
        data[0] & 1 ? std::vector<uint8_t>(data + 1, data + size) : archiveAround(data + 1, size - 1);
    std::unique_ptr<VfsArchive> archive =
        VfsArchive::mount(std::make_unique<MemoryByteSource>(std::move(bytes)), codec(), u"fuzz.vfs");
    if (!archive) return 0;
    std::vector<VfsEntry*> pending;
    for (VfsEntry* entry = const_cast<VfsEntry*>(archive->root()); entry; entry = entry->next) pending.push_back(entry);
    for (int reads = 0; !pending.empty() && reads < 256; ++reads) {
        VfsEntry* entry = pending.back();
        pending.pop_back();
        for (VfsEntry* child = entry->firstChild; child; child = child->next) pending.push_back(child);
        VfsBuffer content = archive->read(*entry);
        if (!content) continue;
        if (entry->isFolder() || entry->check != VfsCheckState::Verified || content[entry->plainSize] != 0 ||
            content[entry->plainSize + 1] != 0)
            std::abort();
    }
    uint32_t size32 = 0;
    vfsReadFile(archive.get(), u"/SWF//a.swf/", &size32);
    vfsReadFile(archive.get(), u"info\\c-test.txt", &size32);
    return 0;
}

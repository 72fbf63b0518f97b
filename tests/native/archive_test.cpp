#include "content/archive.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "archive_support.h"
#include "test_bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Reads served from a vector the test may change; counts the reads.
class TestSource : public ByteSource {
public:
    explicit TestSource(Bytes bytes) : bytes(std::move(bytes)) {}
    uint64_t size() const override { return bytes.size(); }
    bool read(uint64_t offset, void* out, size_t length) override {
        ++reads;
        if (offset > bytes.size() || length > bytes.size() - offset) return false;
        std::memcpy(out, bytes.data() + offset, length);
        return true;
    }
    Bytes bytes;
    int reads = 0;
};

std::unique_ptr<VfsArchive> mounted(const Bytes& bytes, int* error = nullptr) {
    return VfsArchive::mount(std::make_unique<MemoryByteSource>(bytes), codec(), u"test.vfs", error);
}

Bytes sampleArchive() {
    VfsWriter writer(codec(), fixedBytes);
    writer.addFile(u"README.TXT", bytesOf("read me"), Compression::WhenSmaller);
    writer.addFile(u"swf/A.swf", bytesOf(std::string(5000, 'a')), Compression::WhenSmaller);
    writer.addFile(u"swf\\b.swf", bytesOf("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"), Compression::Never);
    writer.addFile(u"info/c-test.txt", bytesOf("x"), Compression::Always);
    writer.addFile(u"empty", {}, Compression::WhenSmaller);
    return writer.build();
}

// What a path names: its content, "<folder>", "<none>" when it is not found
// or "<null>" when its read fails.
std::string lookUp(VfsArchive* archive, std::u16string_view path) {
    const VfsEntry* entry = vfsFindEntry(archive, path);
    return !entry ? "<none>" : entry->isFolder() ? "<folder>" : readText(archive, path);
}

}  // namespace

TEST(VfsArchive, WrittenFilesReadBackUnderFoldedPathsAndOnlyThere) {
    std::unique_ptr<VfsArchive> archive = mounted(sampleArchive());
    uint32_t size = 0;
    for (std::u16string_view path : {u"/README.TXT", u"readme.txt", u"\\\\readme.txt\\"}) {
        VfsBuffer readme = vfsReadFile(archive.get(), path, &size);
        ASSERT_TRUE(readme);
        EXPECT_EQ(textOf(readme, size), "read me");
        EXPECT_EQ(readme[size], 0);
        EXPECT_EQ(readme[size + 1], 0);
    }
    EXPECT_EQ(readText(archive.get(), u"SWF/A.swf/"), std::string(5000, 'a'));
    EXPECT_LT(vfsFindEntry(archive.get(), u"swf/a.swf")->storedSize, 1000u);
    EXPECT_EQ(readText(archive.get(), u"swf//b.swf"), std::string(39, 'b'));
    EXPECT_EQ(readText(archive.get(), u"info\\c-test.txt"), "x");
    EXPECT_EQ(readText(archive.get(), u"empty"), "");
    // Folders are found but not read; missing paths are not found.
    VfsEntry* folder = vfsFindEntry(archive.get(), u"/swf/");
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->isFolder());
    size = 77;
    EXPECT_FALSE(vfsReadFile(archive.get(), u"swf", &size));
    EXPECT_EQ(archive->lastError(), kVfsCheckFailed);
    for (std::u16string_view path : {u"", u"/", u"//", u"swf/missing.swf", u"readme.txt/x", u"a.swf"}) {
        size = 77;
        EXPECT_FALSE(vfsReadFile(archive.get(), path, &size));
        EXPECT_EQ(size, 77u);
        EXPECT_EQ(archive->lastError(), kVfsNotFound);
    }
    EXPECT_FALSE(vfsReadFile(nullptr, u"readme.txt", &size));
}

// Directories put together record by record, and what their paths name.
TEST(VfsArchive, DirectoriesReadRecordByRecord) {
    const Bytes deflated = hexBytes("789cabaa1a05c4020012e48ef9");  // 300 'z'
    const std::string stream(deflated.begin(), deflated.end());
    std::u16string deep;
    for (int i = 0; i < 1000000; ++i) deep += u"d/";
    // A name without its terminator, whole or half there, ends the directory.
    auto unterminated = [](size_t cut) {
        return [cut](ArchiveBuilder& b) {
            b.file(u"kept", "kept");
            b.file(u"lost", "lost");
            b.directory.resize(b.directory.size() - cut);
        };
    };
    const struct {
        const char* name;
        std::function<void(ArchiveBuilder&)> write;
        std::vector<std::pair<std::u16string, std::string>> paths;
    } cases[] = {
        {"stored names are compared exactly, later records win",
         [](ArchiveBuilder& b) {
             b.file(u"UPPER.TXT", "u");
             b.file(u"a", "first");
             b.file(u"a", "second");
             b.file(u"\x0434\x043E\x043A", "cyrillic");
         },
         {{u"UPPER.TXT", "<none>"}, {u"upper.txt", "<none>"}, {u"A", "second"}, {u"\x0414\x041E\x041A", "cyrillic"}}},
        {"an uncompressed item is copied even when it looks like a zlib stream",
         [&stream](ArchiveBuilder& b) {
             b.file(u"raw", stream, Compression::Never);
             b.file(u"inflated", stream, Compression::Always);
         },
         {{u"raw", stream}, {u"inflated", stream}}},
        {"folders nested a million deep",
         [](ArchiveBuilder& b) {
             for (int i = 0; i < 1000000; ++i) appendVfsFolderRecord(b.directory, u"d");
             b.file(u"deep", "bottom");
         },
         {{deep + u"deep", "bottom"}, {u"d/d/d", "<folder>"}}},
        {"a name without its terminator", unterminated(2), {{u"kept", "kept"}, {u"lost", "<none>"}}},
        {"a name with half its terminator", unterminated(1), {{u"kept", "kept"}, {u"lost", "<none>"}}},
        {"end markers close folders; an open one ends with the directory",
         [](ArchiveBuilder& b) {
             appendVfsFolderRecord(b.directory, u"f");
             b.file(u"inner", "in f");
             appendVfsEndMarker(b.directory);
             b.file(u"outer", "top");
             appendVfsFolderRecord(b.directory, u"open");
             b.file(u"unclosed", "in open");
         },
         {{u"f/inner", "in f"}, {u"outer", "top"}, {u"open/unclosed", "in open"}, {u"inner", "<none>"}}},
        {"an end marker at the top level ends the directory",
         [](ArchiveBuilder& b) {
             b.file(u"before", "b");
             appendVfsEndMarker(b.directory);
             b.file(u"after", "a");
         },
         {{u"before", "b"}, {u"after", "<none>"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveBuilder builder;
        c.write(builder);
        std::unique_ptr<VfsArchive> archive = mounted(builder.build());
        for (const auto& [path, content] : c.paths) EXPECT_EQ(lookUp(archive.get(), path), content);
    }
}

// Records that disagree with their item's bytes or point outside the file
// fail their item alone: what each reads and its check after. Each item is
// read from the file once, a failed one not again, one outside it never.
TEST(VfsArchive, RecordsThatDisagreeWithTheirItemFailItAlone) {
    using C = Compression;
    using S = VfsCheckState;
    using Damage = std::function<void(EncodedItem&, uint64_t & offset)>;
    const std::string content(100, 'q'), refused = "<null>";
    auto plain = [](uint32_t size) -> Damage { return [size](EncodedItem& i, uint64_t&) { i.plainSize = size; }; };
    auto stored = [](uint32_t size) -> Damage { return [size](EncodedItem& i, uint64_t&) { i.storedSize = size; }; };
    auto at = [](uint64_t offset) -> Damage { return [offset](EncodedItem&, uint64_t& o) { o = offset; }; };
    // Too small, with the check of what a truncated read would give.
    const Damage small = [&content](EncodedItem& i, uint64_t&) {
        i.plainSize = 50;
        i.checkValue = codec().checkValue(content.data(), 50);
    };
    const struct {
        const char16_t* name;
        Compression compression;
        Damage damage;
        std::string read;
        S check;
        bool outside = false;  // no item in the data area
    } cases[] = {
        {u"zexact", C::Always, {}, content, S::Verified},
        {u"rexact", C::Never, {}, content, S::Verified},
        {u"zsmall", C::Always, small, refused, S::Failed},
        {u"rsmall", C::Never, small, content.substr(0, 50),
         S::Verified},  // a copied item may hold more than its content
        {u"zlarge", C::Always, plain(150), refused, S::Failed},
        {u"rlarge", C::Never, plain(150), refused, S::Failed},
        {u"plain", C::Always, plain(0xFFFFFFFE), refused, S::Failed},
        {u"checked", C::Never, [](EncodedItem& i, uint64_t&) { i.checkValue ^= 1; }, refused, S::Failed},
        {u"stored", C::Always, stored(0xFFFFFFFF), refused, S::Failed, true},
        {u"offset", C::Always, at(0xFFFFFFFFFFFFFFF0ull), refused, S::Failed, true},
        {u"beyond", C::Always, at(1 << 20), refused, S::Failed, true},
        {u"tiny", C::Always, stored(7), refused, S::Unchecked, true},  // too short for its initial vector
        {u"end", C::Never, {}, refused, S::Failed, true},              // starts at the file's end
    };
    ArchiveBuilder builder;
    builder.file(u"real", "real");
    for (const auto& c : cases) {
        EncodedItem item = encodeVfsItem(codec(), content.data(), content.size(), c.compression, fixedBytes);
        uint64_t offset = c.outside ? builder.data.size() : builder.add(item);
        if (c.damage) c.damage(item, offset);
        appendVfsFileRecord(builder.directory, c.name, offset, item);
    }
    auto owned = std::make_unique<TestSource>(builder.build());
    TestSource* source = owned.get();
    std::unique_ptr<VfsArchive> archive = VfsArchive::mount(std::move(owned), codec(), u"t.vfs");
    ASSERT_TRUE(archive);
    for (const auto& c : cases) {
        const std::u16string_view name = c.name;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const int reads = source->reads;
        EXPECT_EQ(readText(archive.get(), c.name), c.read);
        EXPECT_EQ(vfsFindEntry(archive.get(), c.name)->check, c.check);
        if (c.read == refused) {
            EXPECT_EQ(archive->lastError(), kVfsCheckFailed);
            EXPECT_EQ(readText(archive.get(), c.name), refused);
        }
        EXPECT_EQ(source->reads - reads, c.outside ? 0 : 1);
    }
    // Once verified, the content is not checked again: a changed payload shows.
    EXPECT_EQ(readText(archive.get(), u"real"), "real");
    source->bytes[archive->dataBase() + 8] ^= 0x40;
    EXPECT_NE(readText(archive.get(), u"real"), "real");
}

TEST(VfsArchive, HeaderNeedsMagicAndACheckedDirectory) {
    Bytes bytes = sampleArchive();
    bytes[3] = 0xAB;  // ignored
    std::vector<Bytes> refused = {Bytes{'V', 'F', 'S'}, bytes, bytes};
    refused[1][2] = 'X';                                            // the magic
    refused[2][12] ^= 1;                                            // the directory's check
    for (uint32_t value : {0xFFFFFFFFu, 0xFFFFFFF9u, 0x7FFFFFFFu})  // directory sizes beyond the file
        for (int field : {4, 8}) {
            refused.push_back(bytes);
            std::memcpy(refused.back().data() + field, &value, 4);
        }
    int error = 0;
    for (const Bytes& damaged : refused) {
        EXPECT_FALSE(mounted(damaged, &error));
        EXPECT_EQ(error, kVfsNotAnArchive);
    }
    EXPECT_FALSE(VfsArchive::mount(nullptr, codec(), u"x", &error));
    EXPECT_TRUE(mounted(bytes, &error));
    EXPECT_EQ(error, kVfsNoError);
}

// Every prefix and every single-byte change of a real archive: mounting and
// reading never crash, and whatever is read is the original content.
TEST(VfsArchiveDamage, TruncatedOrFlippedArchivesGiveOriginalContentOrNothing) {
    const Bytes original = sampleArchive();
    std::unique_ptr<VfsArchive> intact = mounted(original);
    auto readAll = [&](const Bytes& bytes) {
        std::unique_ptr<VfsArchive> archive = mounted(bytes);
        for (std::u16string_view path : {u"readme.txt", u"swf/a.swf", u"swf/b.swf", u"info/c-test.txt", u"empty"}) {
            const std::string content = readText(archive.get(), path);  // "<null>" without an archive
            if (content != "<null>") {
                ASSERT_EQ(content, readText(intact.get(), path));
            }
        }
    };
    for (size_t length = 0; length < original.size(); ++length)
        readAll(Bytes(original.begin(), original.begin() + length));
    for (size_t at = 0; at < original.size(); ++at) {
        Bytes flipped = original;
        flipped[at] ^= static_cast<uint8_t>(1u << (at % 8));
        readAll(flipped);
    }
}

namespace {

const Bytes kDirectoryIv = {0xFE, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77};  // bit 0 clear: not compressed
const Bytes kItemIv = {0x5A, 0x4B, 0x3C, 0x2D, 0x1E, 0x0F, 0xF0, 0xE1};

// The IV, then the plaintext, zero-padded to whole blocks, encrypted under the
// 31 key bytes written out here.
Bytes sealed(const Bytes& iv, Bytes plain) {
    static const char key[31] = "KSVQuorumLanternBridgeOverture";
    alignas(8) static uint8_t context[4168];
    blowfishDescriptor()->setEncryptKey(context, reinterpret_cast<const uint8_t*>(key), sizeof key);
    plain.resize((plain.size() + 7) / 8 * 8);
    Bytes chain = iv;
    cbcEncrypt(blowfishDescriptor, context, chain.data(), plain.data(), plain.size());
    return join({iv, plain});
}

}  // namespace

// An archive written by hand: its plaintexts and their check values (the
// first 4 SHA-256 bytes of the 31 key bytes and the content, in digest order)
// are written out here; only the encryption is the cipher's.
TEST(VfsArchive, HandWrittenArchiveReadsEveryFieldAndIsWrittenAgain) {
    struct Record {
        const char16_t* name;
        std::array<uint32_t, 6> fields;  // offsetLow, offsetHigh, plainSize, storedSize, reserved, checkValue
        const char* content;
    };
    const Record records[] = {
        {u"one", {16, 0, 5, 13, 0, 0x1E54EAC7}, "hello"},
        {u"rev", {16, 0, 5, 13, 0, 0xC7EA541E}, "<null>"},  // the same item, its check reversed
        {u"far", {0x11223344, 0x55667788, 0x01020304, 0x05060708, 0, 0x090A0B0C}, "<null>"},
    };
    // Records of offsetLow, offsetHigh, plainSize, storedSize, reserved, checkValue, name; the end marker.
    const Bytes directory = hexBytes(
        "1000000000000000050000000d00000000000000c7ea541e6f006e0065000000"
        "1000000000000000050000000d000000000000001e54eac77200650076000000"
        "44332211887766550403020108070605000000000c0b0a096600610072000000"
        "ffffffffffffffffffffffff000000000000000000000000");
    const Bytes image = join({{'V', 'F', 'S', 0},               // 0 magic, 3 not examined
                              {120, 0, 0, 0},                   // 4 dirPlainSize
                              {128, 0, 0, 0},                   // 8 dirStoredSize
                              {0x98, 0x1B, 0x8C, 0x23},         // 12 dirCheck
                              sealed(kDirectoryIv, directory),  // 16 the directory item
                              Bytes(16, 0xEE),                  // 144 the data area: filler, then the item at 16
                              sealed(kItemIv, bytesOf("hello"))});

    std::unique_ptr<VfsArchive> archive = mounted(image);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->dataBase(), 144u);
    Bytes written;
    for (const Record& r : records) {
        const VfsEntry* e = vfsFindEntry(archive.get(), r.name);
        ASSERT_TRUE(e);
        EXPECT_EQ((std::array<uint32_t, 6>{e->offsetLow, e->offsetHigh, e->plainSize, e->storedSize, e->reserved,
                                           e->checkValue}),
                  r.fields);
        EXPECT_EQ(readText(archive.get(), r.name), r.content);
        const EncodedItem item{{}, r.fields[3], r.fields[2], r.fields[5]};
        appendVfsFileRecord(written, r.name, uint64_t(r.fields[1]) << 32 | r.fields[0], item);
    }
    appendVfsEndMarker(written);
    EXPECT_EQ(written, directory);

    const EncodedItem item = encodeVfsItem(codec(), "hello", 5, Compression::Never,
                                           [](void* iv, size_t) { std::memcpy(iv, kItemIv.data(), 8); });
    EXPECT_EQ(std::make_tuple(item.plainSize, item.storedSize, item.checkValue), std::make_tuple(5u, 13u, 0x1E54EAC7u));
    const EncodedItem encodedDirectory =
        encodeVfsItem(codec(), directory.data(), directory.size(), Compression::Never,
                      [](void* iv, size_t) { std::memcpy(iv, kDirectoryIv.data(), 8); });
    EXPECT_EQ(assembleVfsArchive(encodedDirectory, join({Bytes(16, 0xEE), item.bytes})), image);
}

#include "crypto/digest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "test_bytes.h"

namespace {

std::vector<uint8_t> sha256Of(const std::string& text) {
    std::vector<uint8_t> out(32);
    EXPECT_EQ(hashDigest(sha256Descriptor, out.data(), 32, text.data(), text.size(), nullptr, 0), 32);
    return out;
}

// Published vectors, and 55 and 64 bytes, which with the 56 of the third put
// the length into the same, the next and a fresh block.
TEST(Sha256, PublishedVectorsAndPaddingBoundaries) {
    const std::pair<std::string, const char*> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& [text, digest] : vectors) EXPECT_EQ(sha256Of(text), hexBytes(digest)) << text.size() << " bytes";
}

TEST(Sha256, PiecewiseAddsMatchOneShot) {
    std::string text(3000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char(i * 31 + 7);
    const HashDescriptor& h = *sha256Descriptor();
    std::vector<uint64_t> context(h.contextSize / 8 + 1);
    for (size_t step : {1u, 3u, 63u, 64u, 65u, 700u}) {
        SCOPED_TRACE(step);
        EXPECT_EQ(h.begin(context.data(), 0), h.contextSize);
        for (size_t at = 0; at < text.size(); at += step)
            h.add(context.data(), text.data() + at, std::min(step, text.size() - at));
        std::vector<uint8_t> out(32);
        EXPECT_EQ(h.finish(context.data(), out.data()), 32u);
        EXPECT_EQ(out, sha256Of(text));
    }
}

TEST(HashDigest, TruncationWritesOnlyWhatIsAsked) {
    const auto full = sha256Of("abc");
    for (auto [outLength, written] : {std::pair{0, 32}, {-5, 32}, {32, 32}, {40, 32}, {4, 4}}) {
        SCOPED_TRACE(outLength);
        std::vector<uint8_t> out(48, 0xEE);
        EXPECT_EQ(hashDigest(sha256Descriptor, out.data(), outLength, "abc", 3, nullptr, 0), written);
        EXPECT_TRUE(std::equal(full.begin(), full.begin() + written, out.begin()));
        EXPECT_EQ(out[written], 0xEE);
    }
}

// A digest that records which operation received which bytes.
std::string recorded;
size_t recordBegin(void*, uint32_t) {
    recorded.clear();
    return 8;
}
void recordAdd(void*, const void* data, size_t length) {
    recorded += "add:" + std::string(static_cast<const char*>(data), length) + ";";
}
void recordKeyedAdd(void*, const void* data, size_t length) {
    recorded += "key:" + std::string(static_cast<const char*>(data), length) + ";";
}
size_t recordFinish(void*, uint8_t* out) {
    std::memset(out, 0x11, 4);
    return 4;
}
const HashDescriptor keyedRecorder = {8, 4, recordBegin, recordAdd, recordFinish, recordKeyedAdd};
const HashDescriptor plainRecorder = {8, 4, recordBegin, recordAdd, recordFinish, nullptr};
const HashDescriptor hugeContext = {4096, 4, recordBegin, recordAdd, recordFinish, nullptr};

TEST(HashDigest, PrefixComesFirstThroughKeyedAddIfAnyAndHugeContextsAreRefused) {
    uint8_t out[4] = {};
    EXPECT_EQ(hashDigest([] { return &keyedRecorder; }, out, 4, "data", 4, "pre", 3), 4);
    EXPECT_EQ(recorded, "key:pre;add:data;");
    EXPECT_EQ(hashDigest([] { return &plainRecorder; }, out, 4, "data", 4, "pre", 3), 4);
    EXPECT_EQ(recorded, "add:pre;add:data;");
    recorded = "untouched";
    EXPECT_EQ(hashDigest([] { return &hugeContext; }, out, 4, "data", 4, "pre", 3), 0);
    EXPECT_EQ(recorded, "untouched");
}

}  // namespace

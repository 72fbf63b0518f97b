#include "crypto/cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "test_bytes.h"

namespace {

struct KeyedBlowfish {
    alignas(8) uint8_t context[4168];
    explicit KeyedBlowfish(const std::vector<uint8_t>& key) {
        EXPECT_EQ(cipherSetKey(blowfishDescriptor, context, key.data(), key.size()), sizeof context);
    }
};

TEST(Blowfish, PublishedVectors) {
    struct Vector {
        const char* key;
        const char* plain;
        const char* cipher;
    };
    const Vector vectors[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
        {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
    };
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.key);
        KeyedBlowfish k(hexBytes(v.key));
        auto block = swappedHalves(hexBytes(v.plain));
        EXPECT_EQ(blowfishDescriptor()->encryptBlock(k.context, block.data(), block.data()), 8u);
        EXPECT_EQ(block, swappedHalves(hexBytes(v.cipher)));
        EXPECT_EQ(blowfishDescriptor()->decryptBlock(k.context, block.data(), block.data()), 8u);
        EXPECT_EQ(block, swappedHalves(hexBytes(v.plain)));
    }
}

TEST(Blowfish, KeysAreCutAtFiftySixBytes) {
    std::vector<uint8_t> key(60);
    for (size_t i = 0; i < key.size(); ++i) key[i] = uint8_t(i * 7 + 1);
    KeyedBlowfish full(key);
    KeyedBlowfish cut(std::vector<uint8_t>(key.begin(), key.begin() + 56));
    KeyedBlowfish shorter(std::vector<uint8_t>(key.begin(), key.begin() + 55));
    EXPECT_EQ(std::memcmp(full.context, cut.context, sizeof full.context), 0);
    EXPECT_NE(std::memcmp(full.context, shorter.context, sizeof full.context), 0);
}

// The published vector, with four bytes after the last whole block: they are
// left as they are, and a decryption split over two calls chains across them.
TEST(BlowfishCbc, PublishedVectorBothWaysAcrossCallsAndPartialBlocksStay) {
    KeyedBlowfish k(hexBytes("0123456789ABCDEFF0E1D2C3B4A59687"));
    std::vector<uint8_t> plain(36, 0x5A);
    std::memcpy(plain.data(), "7654321 Now is the time for \0\0\0\0", 32);
    plain = swappedHalves(plain);
    const auto cipher = swappedHalves(hexBytes("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC"));
    const std::vector<uint8_t> lastBlock(cipher.end() - 8, cipher.end());
    const auto iv = swappedHalves(hexBytes("FEDCBA9876543210"));

    auto data = plain;
    auto chain = iv;
    EXPECT_EQ(cbcEncrypt(blowfishDescriptor, k.context, chain.data(), data.data(), data.size()), 32u);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 32), cipher);
    EXPECT_TRUE(std::equal(data.begin() + 32, data.end(), plain.begin() + 32));
    EXPECT_EQ(chain, lastBlock);

    chain = iv;
    EXPECT_EQ(cbcDecrypt(blowfishDescriptor, k.context, chain.data(), data.data(), 8), 8u);
    EXPECT_EQ(cbcDecrypt(blowfishDescriptor, k.context, chain.data(), data.data() + 8, 28), 24u);
    EXPECT_EQ(data, plain);
    EXPECT_EQ(chain, lastBlock);

    chain = iv;
    EXPECT_EQ(cbcDecrypt(blowfishDescriptor, k.context, chain.data(), data.data(), 7), 0u);
    EXPECT_EQ(chain, iv);
    EXPECT_EQ(data, plain);
}

}  // namespace

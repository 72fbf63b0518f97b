#include "content/cipher.h"

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

std::vector<uint8_t> encrypt(const KeyedBlowfish& k, std::vector<uint8_t> block) {
    EXPECT_EQ(blowfishDescriptor()->encryptBlock(k.context, block.data(), block.data()), 8u);
    return block;
}

std::vector<uint8_t> decrypt(const KeyedBlowfish& k, std::vector<uint8_t> block) {
    EXPECT_EQ(blowfishDescriptor()->decryptBlock(k.context, block.data(), block.data()), 8u);
    return block;
}

TEST(Blowfish, PublishedVectors) {
    struct Vector { const char* key; const char* plain; const char* cipher; };
    const Vector vectors[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
        {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
    };
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.key);
        KeyedBlowfish k(hexBytes(v.key));
        auto plain = swappedHalves(hexBytes(v.plain));
        auto cipher = swappedHalves(hexBytes(v.cipher));
        EXPECT_EQ(encrypt(k, plain), cipher);
        EXPECT_EQ(decrypt(k, cipher), plain);
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

TEST(BlowfishCbc, PublishedVectorBothWays) {
    const auto key = hexBytes("0123456789ABCDEFF0E1D2C3B4A59687");
    std::vector<uint8_t> plain(32, 0);
    std::memcpy(plain.data(), "7654321 Now is the time for ", 28);
    plain = swappedHalves(plain);
    const auto cipher = swappedHalves(hexBytes("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC"));
    const auto iv = swappedHalves(hexBytes("FEDCBA9876543210"));
    KeyedBlowfish k(key);

    auto data = plain;
    auto chain = iv;
    EXPECT_EQ(cbcEncrypt(blowfishDescriptor, k.context, chain.data(), data.data(), data.size()), 32u);
    EXPECT_EQ(data, cipher);
    EXPECT_EQ(chain, std::vector<uint8_t>(cipher.end() - 8, cipher.end()));

    chain = iv;
    cbcDecrypt(blowfishDescriptor, k.context, chain.data(), data.data(), data.size());
    EXPECT_EQ(data, plain);
    EXPECT_EQ(chain, std::vector<uint8_t>(cipher.end() - 8, cipher.end()));
}

TEST(BlowfishCbc, ChainContinuesAcrossCallsAndPartialBlockStays) {
    KeyedBlowfish k(hexBytes("0011223344"));
    std::vector<uint8_t> plain(20);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 13);
    const std::vector<uint8_t> iv = hexBytes("0102030405060708");

    auto data = plain;
    auto chain = iv;
    cbcEncrypt(blowfishDescriptor, k.context, chain.data(), data.data(), data.size());
    EXPECT_TRUE(std::equal(data.begin() + 16, data.end(), plain.begin() + 16));
    EXPECT_NE(data, plain);

    // Decrypt in two calls, 8 then 12 bytes: the IV carries the chain.
    chain = iv;
    EXPECT_EQ(cbcDecrypt(blowfishDescriptor, k.context, chain.data(), data.data(), 8), 8u);
    EXPECT_EQ(cbcDecrypt(blowfishDescriptor, k.context, chain.data(), data.data() + 8, 12), 8u);
    EXPECT_EQ(data, plain);

    auto shortData = std::vector<uint8_t>(plain.begin(), plain.begin() + 7);
    chain = iv;
    EXPECT_EQ(cbcDecrypt(blowfishDescriptor, k.context, chain.data(), shortData.data(), shortData.size()), 0u);
    EXPECT_EQ(chain, iv);
    EXPECT_TRUE(std::equal(shortData.begin(), shortData.end(), plain.begin()));
}

}  // namespace

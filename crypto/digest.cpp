#include "crypto/digest.h"

#include <cstring>

namespace {

struct Sha256Context {
    uint32_t state[8];
    uint64_t length;  // bytes added so far
    uint8_t buffer[64];
};
// Room for the wider members of the family, as in the stored layout.
constexpr size_t sha256ContextSize = 212;
static_assert(sizeof(Sha256Context) <= sha256ContextSize, "SHA-256 context fits");
constexpr size_t sha256DigestSize = 32;

constexpr uint32_t roundConstants[64] = {
    0x428A2F98, 0x71374491, 0xB5C0FBCF, 0xE9B5DBA5, 0x3956C25B, 0x59F111F1, 0x923F82A4, 0xAB1C5ED5,
    0xD807AA98, 0x12835B01, 0x243185BE, 0x550C7DC3, 0x72BE5D74, 0x80DEB1FE, 0x9BDC06A7, 0xC19BF174,
    0xE49B69C1, 0xEFBE4786, 0x0FC19DC6, 0x240CA1CC, 0x2DE92C6F, 0x4A7484AA, 0x5CB0A9DC, 0x76F988DA,
    0x983E5152, 0xA831C66D, 0xB00327C8, 0xBF597FC7, 0xC6E00BF3, 0xD5A79147, 0x06CA6351, 0x14292967,
    0x27B70A85, 0x2E1B2138, 0x4D2C6DFC, 0x53380D13, 0x650A7354, 0x766A0ABB, 0x81C2C92E, 0x92722C85,
    0xA2BFE8A1, 0xA81A664B, 0xC24B8B70, 0xC76C51A3, 0xD192E819, 0xD6990624, 0xF40E3585, 0x106AA070,
    0x19A4C116, 0x1E376C08, 0x2748774C, 0x34B0BCB5, 0x391C0CB3, 0x4ED8AA4A, 0x5B9CCA4F, 0x682E6FF3,
    0x748F82EE, 0x78A5636F, 0x84C87814, 0x8CC70208, 0x90BEFFFA, 0xA4506CEB, 0xBEF9A3F7, 0xC67178F2,
};

inline uint32_t rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t loadBigEndian(const uint8_t* b) {
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
}

inline void storeBigEndian(uint8_t* b, uint32_t v) {
    b[0] = uint8_t(v >> 24);
    b[1] = uint8_t(v >> 16);
    b[2] = uint8_t(v >> 8);
    b[3] = uint8_t(v);
}

// One round with the eight working variables renamed instead of moved.
#define SHA256_ROUND(a, b, c, d, e, f, g, h, k, w)                                                    \
    do {                                                                                              \
        uint32_t t1 = h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + (g ^ (e & (f ^ g))) + (k) + (w); \
        uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) | (c & (a | b)));           \
        d += t1;                                                                                      \
        h = t1 + t2;                                                                                  \
    } while (0)

#define SHA256_EIGHT_ROUNDS(i, W)                                          \
    SHA256_ROUND(a, b, c, d, e, f, g, h, roundConstants[i + 0], W(i + 0)); \
    SHA256_ROUND(h, a, b, c, d, e, f, g, roundConstants[i + 1], W(i + 1)); \
    SHA256_ROUND(g, h, a, b, c, d, e, f, roundConstants[i + 2], W(i + 2)); \
    SHA256_ROUND(f, g, h, a, b, c, d, e, roundConstants[i + 3], W(i + 3)); \
    SHA256_ROUND(e, f, g, h, a, b, c, d, roundConstants[i + 4], W(i + 4)); \
    SHA256_ROUND(d, e, f, g, h, a, b, c, roundConstants[i + 5], W(i + 5)); \
    SHA256_ROUND(c, d, e, f, g, h, a, b, roundConstants[i + 6], W(i + 6)); \
    SHA256_ROUND(b, c, d, e, f, g, h, a, roundConstants[i + 7], W(i + 7))

void compress(uint32_t* state, const uint8_t* blocks, size_t count) {
    while (count--) {
        uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = loadBigEndian(blocks + 4 * i);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
#define SHA256_LOADED(i) w[i]
        SHA256_EIGHT_ROUNDS(0, SHA256_LOADED);
        SHA256_EIGHT_ROUNDS(8, SHA256_LOADED);
#undef SHA256_LOADED
        // The message schedule kept in a ring of 16 words.
#define SHA256_EXPANDED(i)                                                                            \
    (w[(i)&15] += (rotr(w[((i)-2) & 15], 17) ^ rotr(w[((i)-2) & 15], 19) ^ (w[((i)-2) & 15] >> 10)) + \
                  w[((i)-7) & 15] +                                                                   \
                  (rotr(w[((i)-15) & 15], 7) ^ rotr(w[((i)-15) & 15], 18) ^ (w[((i)-15) & 15] >> 3)))
        SHA256_EIGHT_ROUNDS(16, SHA256_EXPANDED);
        SHA256_EIGHT_ROUNDS(24, SHA256_EXPANDED);
        SHA256_EIGHT_ROUNDS(32, SHA256_EXPANDED);
        SHA256_EIGHT_ROUNDS(40, SHA256_EXPANDED);
        SHA256_EIGHT_ROUNDS(48, SHA256_EXPANDED);
        SHA256_EIGHT_ROUNDS(56, SHA256_EXPANDED);
#undef SHA256_EXPANDED
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
        blocks += 64;
    }
}

size_t sha256Begin(void* context, uint32_t) {
    static const uint32_t initial[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                        0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};
    if (context) {
        auto& c = *static_cast<Sha256Context*>(context);
        std::memcpy(c.state, initial, sizeof c.state);
        c.length = 0;
    }
    return sha256ContextSize;
}

void sha256Add(void* context, const void* data, size_t length) {
    if (length == 0) return;
    auto& c = *static_cast<Sha256Context*>(context);
    auto bytes = static_cast<const uint8_t*>(data);
    size_t used = c.length % 64;
    c.length += length;
    if (used > 0) {
        size_t take = length < 64 - used ? length : 64 - used;
        std::memcpy(c.buffer + used, bytes, take);
        bytes += take;
        length -= take;
        if (used + take < 64) return;
        compress(c.state, c.buffer, 1);
    }
    compress(c.state, bytes, length / 64);
    bytes += length / 64 * 64;
    if (length % 64) std::memcpy(c.buffer, bytes, length % 64);
}

size_t sha256Finish(void* context, uint8_t* out) {
    auto& c = *static_cast<Sha256Context*>(context);
    const uint64_t bitLength = c.length * 8;
    size_t used = c.length % 64;
    c.buffer[used++] = 0x80;
    if (used > 56) {
        std::memset(c.buffer + used, 0, 64 - used);
        compress(c.state, c.buffer, 1);
        used = 0;
    }
    std::memset(c.buffer + used, 0, 56 - used);
    for (int i = 0; i < 8; ++i) c.buffer[56 + i] = uint8_t(bitLength >> (56 - 8 * i));
    compress(c.state, c.buffer, 1);
    for (int i = 0; i < 8; ++i) storeBigEndian(out + 4 * i, c.state[i]);
    return sha256DigestSize;
}

const HashDescriptor sha256 = {
    sha256ContextSize, sha256DigestSize, sha256Begin, sha256Add, sha256Finish, nullptr,
};

}  // namespace

const HashDescriptor* sha256Descriptor() { return &sha256; }

int hashDigest(HashGetter getter, void* out, int outLength, const void* data, size_t dataLength, const void* prefix,
               size_t prefixLength) {
    const HashDescriptor& hash = *getter();
    alignas(16) uint8_t context[512];
    if (hash.contextSize > sizeof context) return 0;
    hash.begin(context, 0);
    if (prefixLength > 0) (hash.keyedAdd ? hash.keyedAdd : hash.add)(context, prefix, prefixLength);
    if (dataLength > 0) hash.add(context, data, dataLength);
    if (outLength <= 0 || size_t(outLength) >= hash.digestSize)
        return int(hash.finish(context, static_cast<uint8_t*>(out)));
    uint8_t digest[256];
    if (hash.digestSize > sizeof digest) return 0;
    hash.finish(context, digest);
    std::memcpy(out, digest, size_t(outLength));
    return outLength;
}

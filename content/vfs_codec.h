#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "crypto/cipher.h"
#include "crypto/digest.h"

// The 31 bytes that key the archive cipher and prefix every check digest:
// the key text with its terminating zero.
extern const char kArchiveKey[31];

// Decodes archive items: a cipher and a digest, neither named by the reader,
// keyed with the archive key.
class VfsCodec {
public:
    VfsCodec(CipherGetter cipher, HashGetter digest, const void* key, size_t keyLength);
    VfsCodec(const VfsCodec& other);
    VfsCodec(VfsCodec&&) = default;
    VfsCodec& operator=(const VfsCodec&) = delete;

    // Blowfish, SHA-256 and the archive key.
    static VfsCodec standard();

    // Decodes an item of stored size S read as round_up(S, 8) bytes (IV
    // first), decrypting it in place. Inflates or copies the payload into
    // content, which holds capacity bytes; returns the number of bytes
    // produced, or none when a compressed payload is not one whole zlib stream
    // that fits.
    std::optional<size_t> decode(uint8_t* item, uint32_t storedSize, uint8_t* content, size_t capacity) const;
    // First four bytes of the digest of key and content, as a little-endian number.
    uint32_t checkValue(const void* content, size_t length) const;

    CipherGetter cipher() const { return cipher_; }
    HashGetter digest() const { return digest_; }
    const std::vector<uint8_t>& key() const { return key_; }

private:
    CipherGetter cipher_;
    HashGetter digest_;
    std::vector<uint8_t> key_;
    std::unique_ptr<uint64_t[]> context_;
    size_t contextSize_;
};

constexpr uint64_t roundUpToBlock(uint64_t size) { return (size + 7) / 8 * 8; }

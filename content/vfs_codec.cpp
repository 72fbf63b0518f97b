#include "content/vfs_codec.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

const char kArchiveKey[31] = "KSVQuorumLanternBridgeOverture";

VfsCodec::VfsCodec(CipherGetter cipher, HashGetter digest, const void* key, size_t keyLength)
    : cipher_(cipher),
      digest_(digest),
      key_(static_cast<const uint8_t*>(key), static_cast<const uint8_t*>(key) + keyLength),
      contextSize_(cipher()->contextSize) {
    context_.reset(new uint64_t[(contextSize_ + 7) / 8]);
    cipherSetKey(cipher_, context_.get(), key_.data(), key_.size());
}

VfsCodec::VfsCodec(const VfsCodec& other)
    : VfsCodec(other.cipher_, other.digest_, other.key_.data(), other.key_.size()) {}

VfsCodec VfsCodec::standard() {
    return VfsCodec(blowfishDescriptor, sha256Descriptor, kArchiveKey, sizeof kArchiveKey);
}

std::optional<size_t> VfsCodec::decode(uint8_t* item, uint32_t storedSize, uint8_t* content, size_t capacity) const {
    const size_t payloadSize = storedSize - 8;
    const bool compressed = (item[0] & 1) != 0;
    uint8_t iv[8];
    std::memcpy(iv, item, sizeof iv);
    cbcDecrypt(cipher_, context_.get(), iv, item + 8, roundUpToBlock(storedSize) - 8);
    if (!compressed) {
        size_t copied = std::min(payloadSize, capacity);
        if (copied != 0) std::memcpy(content, item + 8, copied);
        return copied;
    }
    uLongf produced = static_cast<uLongf>(capacity);
    if (uncompress(content, &produced, item + 8, static_cast<uLong>(payloadSize)) != Z_OK) return std::nullopt;
    return produced;
}

uint32_t VfsCodec::checkValue(const void* content, size_t length) const {
    uint8_t check[4] = {};
    hashDigest(digest_, check, sizeof check, content, length, key_.data(), key_.size());
    return check[0] | check[1] << 8 | check[2] << 16 | static_cast<uint32_t>(check[3]) << 24;
}

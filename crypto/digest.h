#pragma once
// Message digests reached through a constant table of operations, so that a
// user (the archive reader, the password store) can be handed any digest.
#include <cstddef>
#include <cstdint>

struct HashDescriptor {
    size_t contextSize;  // bytes of a digest context; the caller provides them
    size_t digestSize;
    size_t (*begin)(void* context, uint32_t parameter);  // returns contextSize
    void (*add)(void* context, const void* data, size_t length);
    size_t (*finish)(void* context, uint8_t* out);  // writes the whole digest, returns digestSize
    // When present, used instead of add for the prefix of hashDigest.
    void (*keyedAdd)(void* context, const void* data, size_t length);
};

using HashGetter = const HashDescriptor* (*)();

// SHA-256 (FIPS 180-2); the parameter of begin is ignored. Contexts must be 8-byte aligned.
const HashDescriptor* sha256Descriptor();

// Digest of prefix followed by data. An outLength of 0 or less, or at least the
// digest size, writes the whole digest; a smaller one writes only its first
// outLength bytes. Returns the bytes written, or 0 for a descriptor whose
// context or digest does not fit the 512- and 256-byte stack buffers.
int hashDigest(HashGetter getter, void* out, int outLength, const void* data, size_t dataLength, const void* prefix,
               size_t prefixLength);

#pragma once
// Block ciphers reached through a constant table of operations, so that a user
// (the archive reader) can be handed any cipher without naming it.
#include <cstddef>
#include <cstdint>

struct CipherDescriptor {
    size_t contextSize;   // bytes of a keyed context; the caller provides them
    size_t maxKeyLength;  // longer keys are cut to this length
    size_t blockSize;
    size_t reserved;  // always 0
    // Fill the context from the key; return contextSize. A null context only returns it.
    size_t (*setEncryptKey)(void* context, const uint8_t* key, size_t keyLength);
    size_t (*setDecryptKey)(void* context, const uint8_t* key, size_t keyLength);
    // Copy one block from in to out and transform it there (in may equal out);
    // return blockSize. A null context only returns it.
    size_t (*encryptBlock)(const void* context, const uint8_t* in, uint8_t* out);
    size_t (*decryptBlock)(const void* context, const uint8_t* in, uint8_t* out);
};

using CipherGetter = const CipherDescriptor* (*)();

// Blowfish, 16 rounds. Each 8-byte block is read and written as two
// little-endian 32-bit halves (left = bytes 0-3). Contexts must be 4-byte aligned.
const CipherDescriptor* blowfishDescriptor();

// Keys the context for decryption; returns the context size.
size_t cipherSetKey(CipherGetter getter, void* context, const void* key, size_t keyLength);

// CBC over the whole blocks of data, in place; a trailing partial block is left
// as it is. Afterwards iv holds the last cipher-text block, so a following call
// continues the chain. Return the number of bytes transformed.
size_t cbcDecrypt(CipherGetter getter, const void* context, uint8_t* iv, uint8_t* data, size_t length);
size_t cbcEncrypt(CipherGetter getter, const void* context, uint8_t* iv, uint8_t* data, size_t length);

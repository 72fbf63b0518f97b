#include "shell/control_commands.h"

#include "crypto/digest.h"
#include "crypto/random.h"

namespace {
constexpr uint32_t kSmallestChallenge = 128;
constexpr int kDraws = 64;
}  // namespace

uint32_t drawChallenge(void (*source)(void* buffer, size_t length)) {
    uint32_t value = 0;
    for (int i = 0; i < kDraws && value < kSmallestChallenge; ++i) value = randomUInt32(source);
    return value < kSmallestChallenge ? value + kSmallestChallenge : value;
}

uint32_t proof(uint32_t x) {
    const uint8_t challenge[4] = {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
    uint8_t answer[4];
    hashDigest(sha256Descriptor, answer, 4, challenge, 4, kSuiteSalt, kProofSaltLength);
    return uint32_t(answer[0]) | uint32_t(answer[1]) << 8 | uint32_t(answer[2]) << 16 | uint32_t(answer[3]) << 24;
}

#include "shell/control_commands.h"

#include "content/random.h"

namespace {
constexpr uint32_t kSmallestChallenge = 128;
constexpr int kDraws = 64;
}  // namespace

uint32_t drawChallenge(void (*source)(void* buffer, std::size_t length)) {
    uint32_t value = 0;
    for (int i = 0; i < kDraws && value < kSmallestChallenge; ++i) value = randomUInt32(source);
    return value < kSmallestChallenge ? value + kSmallestChallenge : value;
}

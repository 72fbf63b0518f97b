#include "shell/control_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint32_t> gValues;
size_t gNext = 0;

void scripted(void* buffer, size_t length) {
    uint32_t value = gValues[std::min(gNext++, gValues.size() - 1)];
    std::memcpy(buffer, &value, std::min(length, sizeof value));
}

void failing(void*, size_t) {}

}  // namespace

// A failing source still ends with a valid challenge.
TEST(Challenge, SmallDrawsAreRepeatedUntilOneIsAtLeast128) {
    gValues = {0, 127, 5, 128};
    gNext = 0;
    EXPECT_EQ(drawChallenge(&scripted), 128u);
    EXPECT_EQ(gNext, 4u);
    EXPECT_GE(drawChallenge(&failing), 128u);
    gValues = {3};
    gNext = 0;
    EXPECT_GE(drawChallenge(&scripted), 128u);
}

TEST(Proof, FirstFourDigestBytesOverTenSaltBytesAndChallenge) {
    EXPECT_EQ(proof(0), 0x2099D7E6u);
    EXPECT_EQ(proof(0x12345678), 0x9C37C91Fu);
}

#include "crypto/random.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void allZero(void* buffer, size_t length) { std::memset(buffer, 0, length); }
void allOnes(void* buffer, size_t length) { std::memset(buffer, 0xFF, length); }
void half(void* buffer, size_t length) {
    std::memset(buffer, 0, length);
    static_cast<uint8_t*>(buffer)[3] = 0x80;
}

TEST(Random, RangeStaysBelowHigh) {
    for (RandomSource source : {allZero, allOnes, half}) {
        EXPECT_EQ(randomInRange(0, 1, source), 0u);
        EXPECT_EQ(randomInRange(5, 5, source), 5u);
        EXPECT_EQ(randomInRange(7, 3, source), 3u);
    }
    EXPECT_EQ(randomInRange(10, 20, allZero), 10u);
    EXPECT_EQ(randomInRange(10, 20, half), 15u);
    EXPECT_EQ(randomInRange(10, 20, allOnes), 19u);
    EXPECT_EQ(randomInRange(0, 0xFFFFFFFFu, allOnes), 0xFFFFFFFEu);
}

TEST(Random, SystemSourceFillsTheBuffer) {
    // Sixteen zero bytes surviving a fill has probability 2^-128.
    uint8_t buffer[16] = {};
    randomBytes(buffer, sizeof buffer);
    EXPECT_NE(std::memcmp(buffer, std::vector<uint8_t>(16).data(), 16), 0);
}

}  // namespace

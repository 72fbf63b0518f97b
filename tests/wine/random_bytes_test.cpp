#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "crypto/random.h"

TEST(RandomBytes, ProviderFillsEveryByte) {
    // A run of 64 bytes with some byte never changed over 8 fills has
    // probability about 64 * 2^-64: the provider is broken, not unlucky.
    uint8_t everChanged[64] = {};
    for (int fill = 0; fill < 8; ++fill) {
        uint8_t buffer[64] = {};
        randomBytes(buffer, sizeof buffer);
        for (size_t i = 0; i < sizeof buffer; ++i) everChanged[i] |= buffer[i];
    }
    for (uint8_t changed : everChanged) EXPECT_NE(changed, 0);
    EXPECT_NE(randomUInt32(nullptr), randomUInt32(nullptr));
}

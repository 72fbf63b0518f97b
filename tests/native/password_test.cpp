#include "settings/password.h"

#include <gtest/gtest.h>

#include "crypto/wipe.h"
#include "test_bytes.h"

namespace {

std::vector<uint8_t> asBytes(const PasswordDigest& d) { return {d.begin(), d.end()}; }

TEST(PasswordDigest, SaltThenUtf16LittleEndianUnits) {
    EXPECT_EQ(asBytes(passwordDigest(u"")),
              hexBytes("3f6c852ea1c13afafb84d600b9682323b4b6d714f2b0c6e16e58852c72537e32"));
    EXPECT_EQ(asBytes(passwordDigest(u"\u041F\u0430\u0440\u043E\u043B\u044C1")),
              hexBytes("76571b148444004f4c7a7d776729d844d37342873d72e50aa432f11e4c370eba"));
}

// The file of "Secret", written by hand: its digest in digest order.
TEST(PasswordCheck, StoredDigestDecidesAndCaseMatters) {
    const auto stored = hexBytes("48d269fdb178c2bfea39e8dc0ce936963fa0261e67b24e8a37ca932d65c6a314");
    EXPECT_TRUE(passwordAccepted(u"Secret", stored));
    EXPECT_FALSE(passwordAccepted(u"secret", stored));
    EXPECT_FALSE(passwordAccepted(u"", stored));
    EXPECT_TRUE(passwordAccepted(u"", asBytes(passwordDigest(u""))));
    auto lastByteChanged = stored;
    lastByteChanged[31] ^= 1;
    EXPECT_FALSE(passwordAccepted(u"Secret", lastByteChanged));
    EXPECT_FALSE(passwordAccepted(u"Secret", std::vector<uint8_t>(stored.rbegin(), stored.rend())));
}

// A missing file accepts only the empty password, a short one every password.
TEST(PasswordCheck, MissingOrShortFilesAndOnlyThirtyTwoBytesCount) {
    EXPECT_TRUE(passwordAccepted(u"", std::nullopt));
    EXPECT_FALSE(passwordAccepted(u"x", std::nullopt));
    auto stored = asBytes(passwordDigest(u"Secret"));
    const std::vector<uint8_t> shortFile(stored.begin(), stored.begin() + 31);
    EXPECT_TRUE(passwordAccepted(u"anything", shortFile));
    EXPECT_TRUE(passwordAccepted(u"", std::vector<uint8_t>{}));
    stored.push_back(0x55);
    EXPECT_TRUE(passwordAccepted(u"Secret", stored));
    EXPECT_FALSE(passwordAccepted(u"Secret!", stored));
}

TEST(Wipe, EveryByteOfTheCopyIsZeroed) {
    uint8_t copy[7] = {1, 2, 3, 4, 5, 6, 7};
    wipeMemory(copy, sizeof copy);
    EXPECT_EQ(std::vector<uint8_t>(copy, copy + 7), std::vector<uint8_t>(7, 0));
    std::u16string text = u"secret";
    wipeText(text);
    EXPECT_TRUE(text.empty());
}

}  // namespace

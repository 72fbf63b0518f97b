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

// No file: only the empty password. The file of "Secret", written by hand,
// holds its digest in digest order, and case matters. A file shorter than a
// digest accepts everything, and only its first 32 bytes count.
TEST(PasswordCheck, TheStoredDigestDecides) {
    const auto stored = hexBytes("48d269fdb178c2bfea39e8dc0ce936963fa0261e67b24e8a37ca932d65c6a314");
    auto lastByteChanged = stored, longer = stored;
    lastByteChanged[31] ^= 1;
    longer.push_back(0x55);
    const struct {
        const char16_t* password;
        std::optional<std::vector<uint8_t>> file;
        bool accepted;
    } cases[] = {
        {u"", std::nullopt, true},
        {u"x", std::nullopt, false},
        {u"Secret", stored, true},
        {u"secret", stored, false},
        {u"", stored, false},
        {u"", asBytes(passwordDigest(u"")), true},
        {u"Secret", lastByteChanged, false},
        {u"Secret", std::vector<uint8_t>(stored.rbegin(), stored.rend()), false},
        {u"anything", std::vector<uint8_t>(stored.begin(), stored.begin() + 31), true},
        {u"", std::vector<uint8_t>{}, true},
        {u"Secret", longer, true},
        {u"Secret!", longer, false},
    };
    for (const auto& c : cases) EXPECT_EQ(passwordAccepted(c.password, c.file), c.accepted) << &c - cases;
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

#include "settings/settings.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

void appendUnits(std::vector<uint8_t>& image, const std::u16string& text, bool terminated = true) {
    for (char16_t unit : text) {
        image.push_back(uint8_t(unit));
        image.push_back(uint8_t(unit >> 8));
    }
    if (terminated) image.insert(image.end(), {0, 0});
}

// A file image with recognisable fixed fields, N and the strings that follow.
std::vector<uint8_t> image(int16_t count, const std::u16string& text, const std::vector<std::u16string>& names) {
    std::vector<uint8_t> bytes = {20, 0, 50, 0, 0xF6, 0xFF, 4, 0, 2, 0, 1, 1, 0, 1, 1, 0, 7, 9};
    bytes.push_back(uint8_t(count));
    bytes.push_back(uint8_t(uint16_t(count) >> 8));
    appendUnits(bytes, text);
    for (const auto& name : names) appendUnits(bytes, name);
    return bytes;
}

// What the settings save over a longer file: its stale rest must go.
std::vector<uint8_t> savedImage(const Settings& s) {
    std::vector<uint8_t> bytes(400, 0xAB);
    s.save(bytes);
    return bytes;
}

// What a load that kept only the fixed fields of image() saves.
const std::vector<uint8_t> kFixedFieldsOnly = image(0, u"", {});

// Every field at its offset, each with a value of its own: read back field by
// field, and written back byte for byte.
TEST(Settings, HandWrittenImageHoldsEveryFieldAtItsOffset) {
    const std::vector<uint8_t> bytes = {0x02, 0x01, 0x04, 0x03, 0x06,
                                        0x05,                    // 0 exerciseInterval, 2 bedtimeMinutes, 4 sleepMinutes
                                        0x08, 0x07, 0xF6, 0xFF,  // 6 grumbleAfter, 8 grumbleRepeat (-10)
                                        0x11, 0x12, 0x13, 0x14, 0x15,
                                        0x16,  // 10 skipIdleTime, nesselDisabled, hopsaDisabled, tolderDisabled,
                                               //    selectedUsersOnly, requireAdmin
                                        0x17, 0x18, 0x02, 0x00,                   // 16 reserved16, 17 reserved17, 18 N
                                        'r', 0, 0x34, 0x04, 0, 0,                 // 20 reservedText
                                        'M', 0, 'a', 0, 0, 0, 0x1F, 0x04, 0, 0};  // 26 the names
    Settings s;
    s.load(bytes);
    EXPECT_EQ((std::vector<int>{s.exerciseInterval, s.bedtimeMinutes, s.sleepMinutes, s.grumbleAfter, s.grumbleRepeat,
                                s.skipIdleTime, s.nesselDisabled, s.hopsaDisabled, s.tolderDisabled,
                                s.selectedUsersOnly, s.requireAdmin, s.reserved16, s.reserved17}),
              (std::vector<int>{0x0102, 0x0304, 0x0506, 0x0708, -10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18}));
    EXPECT_EQ(s.reservedText, u"r\u0434");
    EXPECT_EQ(s.users, (std::vector<std::u16string>{u"Ma", u"\u041F"}));
    EXPECT_EQ(savedImage(s), bytes);
}

// Each image loaded over settings that held other texts: what they then save.
// An image of the fixed fields or less changes nothing; the count, the text
// and each name are read only whole, and the count decides how many names.
TEST(Settings, ShortCutOrMiscountedImagesKeepOnlyWhatIsWhole) {
    Settings before;
    before.users = {u"old"};
    before.reservedText = u"old";
    auto prefix = [](const std::vector<uint8_t>& bytes, size_t length) {
        return std::vector<uint8_t>(bytes.begin(), bytes.begin() + length);
    };
    const auto full = image(1, u"abc", {u"Masha"});
    auto unterminatedName = image(2, u"", {u"Masha"});
    appendUnits(unterminatedName, u"Pet", false);
    auto unterminatedText = prefix(kFixedFieldsOnly, 20);
    appendUnits(unterminatedText, u"text", false);
    unterminatedText.push_back(0);  // half a terminator
    const std::pair<std::vector<uint8_t>, std::vector<uint8_t>> cases[] = {
        {{}, savedImage(before)},
        {prefix(kFixedFieldsOnly, 18), savedImage(before)},
        {prefix(full, 19), kFixedFieldsOnly},
        {prefix(full, 20), kFixedFieldsOnly},
        {prefix(full, 21), kFixedFieldsOnly},
        {prefix(full, 25), kFixedFieldsOnly},
        {image(-1, u"", {u"Masha"}), kFixedFieldsOnly},
        {image(1, u"", {u"Masha", u"Petya"}), image(1, u"", {u"Masha"})},
        {image(32767, u"", {u"Masha", u"Petya"}), image(2, u"", {u"Masha", u"Petya"})},
        {unterminatedName, image(1, u"", {u"Masha"})},
        {unterminatedText, kFixedFieldsOnly},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Settings s = before;
        s.load(cases[i].first);
        EXPECT_EQ(savedImage(s), cases[i].second) << "case " << i;
    }
}

}  // namespace

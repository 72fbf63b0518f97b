#include "settings/settings.h"

#include <algorithm>
#include <optional>

namespace {

constexpr size_t fixedFieldsSize = 18;
constexpr size_t textOffset = 20;
constexpr size_t maxUsers = 32767;

uint16_t readUInt16(const std::vector<uint8_t>& image, size_t offset) {
    return uint16_t(image[offset] | image[offset + 1] << 8);
}

void appendUInt16(std::vector<uint8_t>& image, uint16_t value) {
    image.push_back(uint8_t(value));
    image.push_back(uint8_t(value >> 8));
}

// The zero-terminated UTF-16LE string at offset, or nothing when the image
// ends before its terminator; offset then moves past the terminator.
std::optional<std::u16string> readString(const std::vector<uint8_t>& image, size_t& offset) {
    std::u16string text;
    for (size_t at = offset; at + 2 <= image.size(); at += 2) {
        char16_t unit = char16_t(readUInt16(image, at));
        if (unit == 0) {
            offset = at + 2;
            return text;
        }
        text.push_back(unit);
    }
    return std::nullopt;
}

void appendString(std::vector<uint8_t>& image, const std::u16string& text) {
    for (char16_t unit : text) appendUInt16(image, uint16_t(unit));
    appendUInt16(image, 0);
}

}  // namespace

void Settings::load(const std::vector<uint8_t>& image) {
    if (image.size() <= fixedFieldsSize) return;
    exerciseInterval = int16_t(readUInt16(image, 0));
    bedtimeMinutes = int16_t(readUInt16(image, 2));
    sleepMinutes = int16_t(readUInt16(image, 4));
    grumbleAfter = int16_t(readUInt16(image, 6));
    grumbleRepeat = int16_t(readUInt16(image, 8));
    skipIdleTime = image[10];
    nesselDisabled = image[11];
    hopsaDisabled = image[12];
    tolderDisabled = image[13];
    selectedUsersOnly = image[14];
    requireAdmin = image[15];
    reserved16 = image[16];
    reserved17 = image[17];
    const int count = image.size() >= textOffset ? int16_t(readUInt16(image, fixedFieldsSize)) : 0;

    reservedText.clear();
    users.clear();
    size_t offset = textOffset;
    auto text = readString(image, offset);
    if (!text) return;
    reservedText = *text;
    for (int i = 0; i < count; ++i) {
        auto name = readString(image, offset);
        if (!name) return;
        users.push_back(*name);
    }
}

void Settings::save(std::vector<uint8_t>& image) const {
    const size_t count = std::min(users.size(), maxUsers);
    std::vector<uint8_t> fresh;
    fresh.reserve(22 + 2 * reservedText.size() + 64 * count);
    for (int16_t minutes : {exerciseInterval, bedtimeMinutes, sleepMinutes, grumbleAfter, grumbleRepeat})
        appendUInt16(fresh, uint16_t(minutes));
    for (uint8_t flag : {skipIdleTime, nesselDisabled, hopsaDisabled, tolderDisabled, selectedUsersOnly, requireAdmin,
                         reserved16, reserved17})
        fresh.push_back(flag);
    appendUInt16(fresh, uint16_t(count));
    appendString(fresh, reservedText);
    for (size_t i = 0; i < count; ++i) appendString(fresh, users[i]);
    image.swap(fresh);
}

#pragma once
// The settings record shared by every process and its file image (nessel20.cfg).
#include <cstdint>
#include <string>
#include <vector>

struct Settings {
    int16_t exerciseInterval = 15;
    int16_t bedtimeMinutes = 45;
    int16_t sleepMinutes = 60;
    int16_t grumbleAfter = 3;
    int16_t grumbleRepeat = 1;
    uint8_t skipIdleTime = 0;
    uint8_t nesselDisabled = 1;
    uint8_t hopsaDisabled = 1;
    uint8_t tolderDisabled = 0;
    uint8_t selectedUsersOnly = 0;
    uint8_t requireAdmin = 1;
    uint8_t reserved16 = 0;
    uint8_t reserved17 = 255;
    std::u16string reservedText;
    std::vector<std::u16string> users;

    // Fills the record from a file image. An image of 18 bytes or fewer changes
    // nothing. Otherwise the fixed fields are taken, then reservedText and the
    // user names as far as they are complete: a string whose zero terminator
    // lies beyond the image, and every name after it, is dropped, as are names
    // beyond N. A count cut off by the end of the image counts as 0.
    void load(const std::vector<uint8_t>& image);

    // Replaces the buffer's contents with the record's file image. At most
    // 32767 names are written, the most a 16-bit count can announce.
    void save(std::vector<uint8_t>& image) const;
};

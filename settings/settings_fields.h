#pragma once
// Which fields of the settings record each settings dialog shows, in which
// controls, and how a typed number becomes a stored minute value.
#include <cstdint>
#include <vector>

#include "settings/settings.h"

enum class SettingsKind { All = 0, Nessel = 1, Hopsa = 2, Tolder = 3 };

struct MinuteField {
    int controlId;
    int16_t Settings::*field;
};

struct FlagField {
    int controlId;
    uint8_t Settings::*field;
};

struct SettingsFields {
    int templateId;
    int englishTitleId;
    // The combined dialog reads its numbers cut to 16 bits first.
    bool combined;
    std::vector<MinuteField> minutes;
    std::vector<FlagField> flags;
};

const SettingsFields& settingsFields(SettingsKind kind);

// A number read from a minute edit (non-numeric or empty text reads as 0)
// as it is stored: a module dialog tests the whole number, the combined
// dialog the number cut to signed 16 bits; below 1 becomes 1. The stored
// value is never below 1.
int16_t storedMinutes(uint32_t typed, bool combined);

#include <gtest/gtest.h>

#include "settings/settings_fields.h"

TEST(StoredMinutes, ZeroAndNegativeBecomeOneAndTheCombinedDialogCutsTo16BitsFirst) {
    struct Case {
        uint32_t typed;
        bool combined;
        int16_t stored;
    };
    for (const Case& c : {Case{0, false, 1}, Case{0, true, 1}, Case{999, false, 999}, Case{32767, true, 32767},
                          Case{70000, true, 4464}, Case{70000, false, 4464}, Case{99999, true, 1},
                          Case{65536, true, 1}, Case{32768, true, 1}, Case{99999, false, 1},
                          Case{0xFFFFFFFBu, false, 1}})  // a stored -5 shown unsigned
        EXPECT_EQ(storedMinutes(c.typed, c.combined), c.stored) << c.typed << (c.combined ? " combined" : "");
}

// A dialog writes back only the fields it shows: a module's dialog never
// touches another module's settings.
TEST(SettingsFields, EachDialogWritesItsOwnModulesFieldsOnly) {
    struct Case {
        SettingsKind kind;
        std::vector<int16_t Settings::*> minutes;
        std::vector<uint8_t Settings::*> flags;
    };
    const Case cases[] = {
        {SettingsKind::Nessel, {&Settings::bedtimeMinutes, &Settings::sleepMinutes}, {&Settings::nesselDisabled}},
        {SettingsKind::Hopsa, {&Settings::exerciseInterval}, {&Settings::skipIdleTime, &Settings::hopsaDisabled}},
        {SettingsKind::Tolder, {&Settings::grumbleAfter, &Settings::grumbleRepeat}, {&Settings::tolderDisabled}},
        {SettingsKind::All,
         {&Settings::bedtimeMinutes, &Settings::sleepMinutes, &Settings::exerciseInterval, &Settings::grumbleAfter,
          &Settings::grumbleRepeat},
         {&Settings::nesselDisabled, &Settings::skipIdleTime, &Settings::hopsaDisabled, &Settings::tolderDisabled}},
    };
    for (const Case& c : cases) {
        std::vector<int16_t Settings::*> minutes;
        std::vector<uint8_t Settings::*> flags;
        for (const MinuteField& field : settingsFields(c.kind).minutes) minutes.push_back(field.field);
        for (const FlagField& field : settingsFields(c.kind).flags) flags.push_back(field.field);
        EXPECT_EQ(minutes, c.minutes) << static_cast<int>(c.kind);
        EXPECT_EQ(flags, c.flags) << static_cast<int>(c.kind);
        EXPECT_EQ(settingsFields(c.kind).combined, c.kind == SettingsKind::All);
    }
}

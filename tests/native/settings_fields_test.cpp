#include <gtest/gtest.h>

#include "settings/settings_fields.h"

TEST(StoredMinutes, ZeroAndNegativeBecomeOneAndTheCombinedDialogCutsTo16BitsFirst) {
    struct Case {
        uint32_t typed;
        bool combined;
        int16_t stored;
    };
    for (const Case& c :
         {Case{0, false, 1}, Case{0, true, 1}, Case{999, false, 999}, Case{32767, true, 32767}, Case{70000, true, 4464},
          Case{70000, false, 4464}, Case{99999, true, 1}, Case{65536, true, 1}, Case{32768, true, 1},
          Case{99999, false, 1}, Case{0xFFFFFFFBu, false, 1}})  // a stored -5 shown unsigned
        EXPECT_EQ(storedMinutes(c.typed, c.combined), c.stored) << c.typed << (c.combined ? " combined" : "");
}

// A dialog writes back only the fields it shows: the three module dialogs
// in turn show exactly the combined dialog's fields.
TEST(SettingsFields, TheModuleDialogsShowTheCombinedDialogsFieldsBetweenThem) {
    auto fieldsOf = [](std::initializer_list<SettingsKind> kinds) {
        std::pair<std::vector<int16_t Settings::*>, std::vector<uint8_t Settings::*>> fields;
        for (SettingsKind kind : kinds) {
            for (const MinuteField& field : settingsFields(kind).minutes) fields.first.push_back(field.field);
            for (const FlagField& field : settingsFields(kind).flags) fields.second.push_back(field.field);
            EXPECT_EQ(settingsFields(kind).combined, kind == SettingsKind::All);
        }
        return fields;
    };
    EXPECT_EQ(fieldsOf({SettingsKind::Nessel, SettingsKind::Hopsa, SettingsKind::Tolder}),
              fieldsOf({SettingsKind::All}));
}

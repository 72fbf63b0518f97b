#include <gtest/gtest.h>

#include <set>

#include "resources/resource_ids.h"
#include "settings/settings_fields.h"

TEST(StoredMinutes, ZeroBecomesOneInEveryDialog) {
    EXPECT_EQ(storedMinutes(0, false), 1);
    EXPECT_EQ(storedMinutes(0, true), 1);
    EXPECT_EQ(storedMinutes(1, false), 1);
    EXPECT_EQ(storedMinutes(999, false), 999);
    EXPECT_EQ(storedMinutes(32767, true), 32767);
}

TEST(StoredMinutes, TheCombinedDialogCutsTo16BitsBeforeTheTest) {
    EXPECT_EQ(storedMinutes(70000, true), 4464);
    EXPECT_EQ(storedMinutes(99999, true), 1);  // -31073 once cut
    EXPECT_EQ(storedMinutes(65536, true), 1);  // 0 once cut
    EXPECT_EQ(storedMinutes(32768, true), 1);
}

TEST(StoredMinutes, AModuleDialogNeverStoresANegativeValue) {
    EXPECT_EQ(storedMinutes(70000, false), 4464);
    EXPECT_EQ(storedMinutes(99999, false), 1);
    EXPECT_EQ(storedMinutes(0xFFFFFFFBu, false), 1);  // a stored -5 shown unsigned
}

namespace {

// The fields a dialog writes back: every minute and flag it shows set to a
// value no default has.
Settings afterWriting(SettingsKind kind) {
    Settings settings;
    for (const MinuteField& minutes : settingsFields(kind).minutes) settings.*minutes.field = 777;
    for (const FlagField& flag : settingsFields(kind).flags) settings.*flag.field = 7;
    return settings;
}

std::set<int> controlIds(SettingsKind kind) {
    std::set<int> ids;
    for (const MinuteField& minutes : settingsFields(kind).minutes) ids.insert(minutes.controlId);
    for (const FlagField& flag : settingsFields(kind).flags) ids.insert(flag.controlId);
    return ids;
}

}  // namespace

TEST(SettingsFields, EachModuleDialogTouchesOnlyItsModule) {
    Settings nessel = afterWriting(SettingsKind::Nessel);
    EXPECT_EQ(nessel.bedtimeMinutes, 777);
    EXPECT_EQ(nessel.sleepMinutes, 777);
    EXPECT_EQ(nessel.nesselDisabled, 7);
    EXPECT_EQ(nessel.exerciseInterval, 15);
    EXPECT_EQ(nessel.grumbleAfter, 3);
    EXPECT_EQ(nessel.grumbleRepeat, 1);
    EXPECT_EQ(nessel.skipIdleTime, 0);
    EXPECT_EQ(nessel.hopsaDisabled, 1);
    EXPECT_EQ(nessel.tolderDisabled, 0);

    Settings hopsa = afterWriting(SettingsKind::Hopsa);
    EXPECT_EQ(hopsa.exerciseInterval, 777);
    EXPECT_EQ(hopsa.skipIdleTime, 7);
    EXPECT_EQ(hopsa.hopsaDisabled, 7);
    EXPECT_EQ(hopsa.bedtimeMinutes, 45);
    EXPECT_EQ(hopsa.nesselDisabled, 1);
    EXPECT_EQ(hopsa.grumbleAfter, 3);

    Settings tolder = afterWriting(SettingsKind::Tolder);
    EXPECT_EQ(tolder.grumbleAfter, 777);
    EXPECT_EQ(tolder.grumbleRepeat, 777);
    EXPECT_EQ(tolder.tolderDisabled, 7);
    EXPECT_EQ(tolder.exerciseInterval, 15);
    EXPECT_EQ(tolder.sleepMinutes, 60);
    EXPECT_EQ(tolder.hopsaDisabled, 1);
}

TEST(SettingsFields, TheCombinedDialogShowsEveryModuleField) {
    Settings all = afterWriting(SettingsKind::All);
    for (int16_t value : {all.exerciseInterval, all.bedtimeMinutes, all.sleepMinutes, all.grumbleAfter,
                          all.grumbleRepeat})
        EXPECT_EQ(value, 777);
    for (uint8_t flag : {all.skipIdleTime, all.nesselDisabled, all.hopsaDisabled, all.tolderDisabled})
        EXPECT_EQ(flag, 7);
    EXPECT_EQ(all.requireAdmin, 1);
    EXPECT_EQ(all.selectedUsersOnly, 0);
    EXPECT_EQ(controlIds(SettingsKind::All),
              (std::set<int>{1043, 1045, 1038, 1048, 1049, 1046, 1040, 1041, 1050}));
    EXPECT_TRUE(settingsFields(SettingsKind::All).combined);
    EXPECT_FALSE(settingsFields(SettingsKind::Hopsa).combined);
}

TEST(SettingsFields, TemplatesAndEnglishTitles) {
    EXPECT_EQ(settingsFields(SettingsKind::All).templateId, 139);
    EXPECT_EQ(settingsFields(SettingsKind::Nessel).templateId, 129);
    EXPECT_EQ(settingsFields(SettingsKind::Hopsa).templateId, 132);
    EXPECT_EQ(settingsFields(SettingsKind::Tolder).templateId, 133);
    EXPECT_EQ(settingsFields(SettingsKind::All).englishTitleId, 132);
    EXPECT_EQ(settingsFields(SettingsKind::Nessel).englishTitleId, 102);
    EXPECT_EQ(settingsFields(SettingsKind::Hopsa).englishTitleId, 103);
    EXPECT_EQ(settingsFields(SettingsKind::Tolder).englishTitleId, 104);
}

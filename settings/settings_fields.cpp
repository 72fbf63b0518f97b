#include "settings/settings_fields.h"

#include "resources/resource_ids.h"

namespace {

const SettingsFields kAll{IDD_SETTINGS_ALL,
                          IDS_TITLE_OPTIONS,
                          true,
                          {{IDC_ALL_BEDTIME, &Settings::bedtimeMinutes},
                           {IDC_ALL_SLEEP, &Settings::sleepMinutes},
                           {IDC_ALL_EXERCISE, &Settings::exerciseInterval},
                           {IDC_ALL_GRUMBLE_AFTER, &Settings::grumbleAfter},
                           {IDC_ALL_GRUMBLE_REPEAT, &Settings::grumbleRepeat}},
                          {{IDC_ALL_NESSEL_DISABLED, &Settings::nesselDisabled},
                           {IDC_ALL_SKIP_IDLE, &Settings::skipIdleTime},
                           {IDC_ALL_HOPSA_DISABLED, &Settings::hopsaDisabled},
                           {IDC_ALL_TOLDER_DISABLED, &Settings::tolderDisabled}}};

const SettingsFields kNessel{IDD_SETTINGS_NESSEL,
                             IDS_TITLE_NESSEL_OPTIONS,
                             false,
                             {{IDC_FIRST_MINUTES, &Settings::bedtimeMinutes},
                              {IDC_SECOND_MINUTES, &Settings::sleepMinutes}},
                             {{IDC_MODULE_DISABLED, &Settings::nesselDisabled}}};

const SettingsFields kHopsa{IDD_SETTINGS_HOPSA,
                            IDS_TITLE_EXERCISE_OPTIONS,
                            false,
                            {{IDC_FIRST_MINUTES, &Settings::exerciseInterval}},
                            {{IDC_SKIP_IDLE, &Settings::skipIdleTime},
                             {IDC_MODULE_DISABLED, &Settings::hopsaDisabled}}};

const SettingsFields kTolder{IDD_SETTINGS_TOLDER,
                             IDS_TITLE_TOLDER_OPTIONS,
                             false,
                             {{IDC_FIRST_MINUTES, &Settings::grumbleAfter},
                              {IDC_SECOND_MINUTES, &Settings::grumbleRepeat}},
                             {{IDC_MODULE_DISABLED, &Settings::tolderDisabled}}};

}  // namespace

const SettingsFields& settingsFields(SettingsKind kind) {
    switch (kind) {
    case SettingsKind::Nessel: return kNessel;
    case SettingsKind::Hopsa: return kHopsa;
    case SettingsKind::Tolder: return kTolder;
    default: return kAll;
    }
}

int16_t storedMinutes(uint32_t typed, bool combined) {
    int32_t tested = combined ? static_cast<int16_t>(typed) : static_cast<int32_t>(typed);
    if (tested < 1) return 1;
    // A whole number beyond 16 bits would turn negative when stored.
    auto stored = static_cast<int16_t>(tested);
    return stored < 1 ? 1 : stored;
}

#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The settings the control module reads, with their defaults.
struct ControlSettings {
    std::int16_t exerciseInterval = 15;
    std::int16_t bedtimeMinutes = 45;
    std::int16_t sleepMinutes = 60;
    std::int16_t grumbleAfter = 3;
    std::int16_t grumbleRepeat = 1;
    bool skipIdleTime = false;
    bool nesselDisabled = true;
    bool hopsaDisabled = true;
    bool tolderDisabled = false;
    bool selectedUsersOnly = false;
    bool requireAdmin = true;
    std::vector<std::u16string> users;
};

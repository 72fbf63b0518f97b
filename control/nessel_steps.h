#pragma once
#include <cstdint>

// Nessel's end of an evening, in counted minutes of use: after the turn-off
// scene the shut-down is asked for, then forced; a computer switched on inside
// the sleep time is forced off. The control module and the guard keep the
// same steps.
constexpr int32_t kShutdownAfterTurnOff = 3;
constexpr int32_t kForcedShutdownAfterTurnOff = 5;
constexpr int32_t kSleepTimeMinutesBeforeShutdown = 3;

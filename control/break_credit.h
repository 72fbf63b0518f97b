#pragma once
#include <cstdint>

// What a break (time without counted minutes) gives back to the modules.

// A stored sleep time below one minute acts as one minute, the shortest the
// settings dialogs write.
int32_t effectiveSleepMinutes(int16_t sleepMinutes);

// Whether the sleep time that followed the turn-off scene is still running.
bool sleepTimeRunning(int32_t sleptMinutes, int16_t sleepMinutes);

// Nessel's counter after a break: a break as long as the sleep time restores the
// whole allowance, a shorter one its share. A negative break (clock set
// backwards) gives nothing back and takes nothing.
int32_t nesselMinutesAfterBreak(int32_t nesselMinutes, int32_t sleptMinutes, int16_t bedtimeMinutes,
                                int16_t sleepMinutes);

// Hopsa's counter after a break: a long enough break counts as rest; otherwise
// the next exercise stays at least two minutes away.
int32_t hopsaMinutesAfterBreak(int32_t hopsaMinutes, int32_t offMinutes, int16_t exerciseInterval);

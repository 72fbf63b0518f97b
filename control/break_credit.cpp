#include "control/break_credit.h"

#include <algorithm>

int32_t effectiveSleepMinutes(int16_t sleepMinutes) { return std::max<int32_t>(sleepMinutes, 1); }

bool sleepTimeRunning(int32_t sleptMinutes, int16_t sleepMinutes) {
    return sleptMinutes < effectiveSleepMinutes(sleepMinutes);
}

int32_t nesselMinutesAfterBreak(int32_t nesselMinutes, int32_t sleptMinutes, int16_t bedtimeMinutes,
                                int16_t sleepMinutes) {
    const int64_t credit =
        std::max<int64_t>(0, int64_t{bedtimeMinutes} * sleptMinutes / effectiveSleepMinutes(sleepMinutes));
    if (nesselMinutes >= bedtimeMinutes) nesselMinutes = bedtimeMinutes - 3;
    if (credit > nesselMinutes) return 0;
    return static_cast<int32_t>(nesselMinutes - credit);
}

int32_t hopsaMinutesAfterBreak(int32_t hopsaMinutes, int32_t offMinutes, int16_t exerciseInterval) {
    const int64_t untilExercise = int64_t{exerciseInterval} - hopsaMinutes;
    if (offMinutes > 60 || int64_t{offMinutes} - 5 > untilExercise) return 0;
    if (hopsaMinutes > 1 && hopsaMinutes > exerciseInterval - 2) return exerciseInterval - 2;
    return hopsaMinutes < 0 ? 0 : hopsaMinutes;
}

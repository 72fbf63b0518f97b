#include "control/break_credit.h"

#include <algorithm>

std::int32_t effectiveSleepMinutes(std::int16_t sleepMinutes) { return std::max<std::int32_t>(sleepMinutes, 1); }

bool sleepTimeRunning(std::int32_t sleptMinutes, std::int16_t sleepMinutes) {
    return sleptMinutes < effectiveSleepMinutes(sleepMinutes);
}

std::int32_t nesselMinutesAfterBreak(std::int32_t nesselMinutes, std::int32_t sleptMinutes,
                                     std::int16_t bedtimeMinutes, std::int16_t sleepMinutes) {
    const std::int64_t credit =
        std::max<std::int64_t>(0, std::int64_t{bedtimeMinutes} * sleptMinutes / effectiveSleepMinutes(sleepMinutes));
    if (nesselMinutes >= bedtimeMinutes) nesselMinutes = bedtimeMinutes - 3;
    if (credit > nesselMinutes) return 0;
    return static_cast<std::int32_t>(nesselMinutes - credit);
}

std::int32_t hopsaMinutesAfterBreak(std::int32_t hopsaMinutes, std::int32_t offMinutes,
                                    std::int16_t exerciseInterval) {
    const std::int64_t untilExercise = std::int64_t{exerciseInterval} - hopsaMinutes;
    if (offMinutes > 60 || std::int64_t{offMinutes} - 5 > untilExercise) return 0;
    if (hopsaMinutes > 1 && hopsaMinutes > exerciseInterval - 2) return exerciseInterval - 2;
    return hopsaMinutes < 0 ? 0 : hopsaMinutes;
}

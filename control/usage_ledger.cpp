#include "control/usage_ledger.h"

#include <algorithm>

#include "control/break_credit.h"
#include "control/usage_time.h"

StateRecord stricterRecord(const StateRecord& own, const StateRecord& ledger) {
    StateRecord result = own;
    result.lastActive = std::max(own.lastActive, ledger.lastActive);
    result.lastAwake = std::max(own.lastAwake, ledger.lastAwake);
    result.nesselMinutes = std::max(own.nesselMinutes, ledger.nesselMinutes);
    result.hopsaMinutes = std::max(own.hopsaMinutes, ledger.hopsaMinutes);
    result.sleepPending = own.sleepPending || ledger.sleepPending;
    result.firstExerciseDone = own.firstExerciseDone || ledger.firstExerciseDone;
    return result;
}

StateRecord followModuleRecord(const StateRecord& ledger, const StateRecord& written, uint64_t now,
                               int16_t bedtimeMinutes, int16_t sleepMinutes) {
    StateRecord result = written;
    result.lastActive = std::min(written.lastActive, now);
    result.lastAwake = std::min(written.lastAwake, now);
    if (result.lastActive < ledger.lastActive) return ledger;
    const int32_t breakMinutes = minutesBetween(ledger.lastActive, result.lastActive);
    result.nesselMinutes = std::max(result.nesselMinutes, nesselMinutesAfterBreak(ledger.nesselMinutes, breakMinutes,
                                                                                  bedtimeMinutes, sleepMinutes));
    // A start that counted nothing moves no minute: the ledger's last counted
    // minute stays, so that a module ended every few seconds loses no time.
    if (result.nesselMinutes == ledger.nesselMinutes && result.hopsaMinutes == ledger.hopsaMinutes)
        result.lastActive = ledger.lastActive;
    return result;
}

bool SessionUseCount::look(StateRecord& ledger, uint64_t now, bool sessionInUse, bool moduleRunning,
                           const Settings& settings) {
    const bool continuous = lastLook_ != 0 && now >= lastLook_ && unitsBetween(lastLook_, now) <= kLongestLookGap;
    lastLook_ = now;
    if (!sessionInUse || !continuous) {
        inUseSince_ = sessionInUse ? now : 0;
        return false;
    }
    if (moduleRunning) return false;
    const uint64_t from = std::max(inUseSince_, ledger.lastActive);
    if (from > now || unitsBetween(from, now) < kUnitsPerMinute) return false;
    if (!settings.nesselDisabled) ++ledger.nesselMinutes;
    if (!settings.hopsaDisabled) ++ledger.hopsaMinutes;
    ledger.lastActive = from + kUnitsPerMinute;
    if (!ledger.sleepPending) ledger.lastAwake = ledger.lastActive;
    return true;
}

bool SleepTimeHold::look(const StateRecord& ledger, uint64_t now, bool sessionInUse, bool moduleRunning,
                         const Settings& settings, bool calendarClosed) {
    const bool continuous = lastLook_ != 0 && now >= lastLook_ && unitsBetween(lastLook_, now) <= kLongestLookGap;
    lastLook_ = now;
    // The module moves lastAwake every minute until its sleep mode: while it
    // does, the turn-off scene is still counting down, and the module holds it.
    const int32_t slept = minutesBetween(ledger.lastAwake, now);
    const bool sleepTime =
        !settings.nesselDisabled && (calendarClosed || (ledger.sleepPending && slept >= kAwakeMinutes &&
                                                        sleepTimeRunning(slept, settings.sleepMinutes)));
    if (!sleepTime || !sessionInUse || !continuous || since_ == 0) {
        since_ = sleepTime && sessionInUse ? now : 0;
        moduleMissed_ = !moduleRunning;
        asked_ = false;
        return false;
    }
    moduleMissed_ = moduleMissed_ || !moduleRunning;
    const int32_t minutes = moduleMissed_ ? kMinutesWithoutModule : kMinutesWithModule;
    if (asked_ || unitsBetween(since_, now) < minutes * kUnitsPerMinute) return false;
    asked_ = true;
    return true;
}

#include "control/usage_ledger.h"

#include <algorithm>


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

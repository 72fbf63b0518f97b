#include <gtest/gtest.h>

#include "control/usage_ledger.h"
#include "simulated_evening.h"

namespace {

StateRecord recordAt(uint64_t lastActive, int32_t nessel, bool sleepPending = false) {
    StateRecord record;
    record.lastActive = record.lastAwake = lastActive;
    record.nesselMinutes = nessel;
    record.sleepPending = sleepPending;
    return record;
}

}  // namespace

// A deleted state file gives back neither minutes nor sleep time.
TEST(UsageLedger, NoRecordIsKinderThanTheLedger) {
    const StateRecord ledger = recordAt(kEveningStart, 40, true);
    EXPECT_EQ(stricterRecord(StateRecord{}, ledger).nesselMinutes, 40);
    EXPECT_TRUE(stricterRecord(StateRecord{}, ledger).sleepPending);
    EXPECT_EQ(stricterRecord(recordAt(kEveningStart, 45), ledger).nesselMinutes, 45);
}

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

// A deleted state file gives back neither minutes nor sleep time; 30 minutes
// off (of 60 sleep minutes) give back half, an edit or a clock ahead no more.
TEST(UsageLedger, NoRecordIsKinderThanTheLedgerAndARealBreak) {
    const StateRecord ledger = recordAt(kEveningStart, 40, true);
    EXPECT_EQ(stricterRecord(StateRecord{}, ledger).nesselMinutes, 40);
    EXPECT_TRUE(stricterRecord(StateRecord{}, ledger).sleepPending);
    const uint64_t later = kEveningStart + 30 * kMinute;
    for (auto [written, want] :
         {std::pair{recordAt(later, 0), 10}, {recordAt(later, 45), 45}, {recordAt(later + 600 * kMinute, 0), 10}})
        EXPECT_EQ(followModuleRecord(ledger, written, later, 60, 60).nesselMinutes, want);
}

// Looks every 2 s for 3 minutes (an hour, with a stand-by at 40 s; or with the
// module ended every 50 s and writing its record anew at each start): only
// the minutes with the module missing and the session in use throughout count.
TEST(UsageLedger, MinutesInUseWithTheModuleMissingCount) {
    auto counted = [](uint64_t seconds, bool (*inUse)(uint64_t), bool (*running)(uint64_t)) {
        SessionUseCount use;
        StateRecord ledger = recordAt(kEveningStart, 10);
        for (uint64_t s = 0; s < seconds; s += s == 40 && seconds == 3700 ? 3600 : 2) {
            StateRecord restarted = ledger;
            restarted.lastActive = kEveningStart + s * kSecond;
            if (running(s)) ledger = followModuleRecord(ledger, restarted, restarted.lastActive, 60, 60);
            use.look(ledger, kEveningStart + s * kSecond, inUse(s), running(s), withNessel());
        }
        return ledger.nesselMinutes - 10;
    };
    auto yes = [](uint64_t) { return true; };
    auto no = [](uint64_t) { return false; };
    EXPECT_EQ(counted(180, yes, no), 2);
    EXPECT_EQ(counted(180, yes, yes), 0);
    EXPECT_EQ(counted(
                  180, [](uint64_t s) { return s < 60; }, no),
              0);
    EXPECT_EQ(counted(3700, yes, no), 0);
    EXPECT_GE(counted(600, yes, [](uint64_t s) { return s % 50 >= 4; }), 8);
}

// With the module running throughout, the sleep time is held after six
// minutes (three once it was missing: the Wine test); never after its end,
// nor while the module still moves lastAwake (the turn-off scene counting down).
TEST(UsageLedger, TheGuardHoldsTheSleepTime) {
    for (auto [minutesAsleep, want] : {std::pair{10, 360}, {61, -1}, {0, -1}}) {
        SleepTimeHold hold;
        StateRecord ledger = recordAt(kEveningStart - minutesAsleep * kMinute, 45, true);
        int asked = -1;
        for (int s = 0; s <= 600 && asked < 0; s += 2) {
            if (minutesAsleep == 0) ledger.lastAwake = kEveningStart + s / 60 * kMinute;
            if (hold.look(ledger, kEveningStart + s * kSecond, true, true, withNessel())) asked = s;
        }
        EXPECT_EQ(asked, want);
    }
}

}  // namespace

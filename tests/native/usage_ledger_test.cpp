#include <gtest/gtest.h>

#include "control/usage_ledger.h"
#include "simulated_evening.h"

namespace {

StateRecord recordAt(uint64_t lastActive, int32_t nessel, bool sleepPending = false) {
    StateRecord record;
    record.lastActive = record.lastAwake = lastActive;
    record.nesselMinutes = nessel;
    record.hopsaMinutes = nessel % 15;
    record.sleepPending = sleepPending;
    return record;
}

// The state file deleted or edited while the module was down: the module
// starts from the guard's ledger, and the time since its last counted minute
// is the only break.
TEST(UsageLedger, AModuleStartsNoKinderThanTheLedger) {
    for (bool deleted : {true, false}) {
        SimulatedEvening evening(withNessel());
        const StateRecord ledger = recordAt(kEveningStart - 2 * kMinute, 40, true);
        const StateImage image = encodeStateRecord(ledger);
        evening.host.ledgerFile.assign(image.begin(), image.end());
        if (!deleted) {
            const StateImage edited = encodeStateRecord(recordAt(kEveningStart - 600 * kMinute, 0));
            evening.host.stateFile.assign(edited.begin(), edited.end());
        }
        evening.startModule();
        const StateRecord stored = evening.host.storedState();
        EXPECT_EQ(stored.nesselMinutes, 40) << deleted;
        EXPECT_TRUE(stored.sleepPending) << deleted;
        EXPECT_TRUE(evening.core().schedules().sleepMode()) << deleted;
    }
    StateRecord own = recordAt(kEveningStart, 30);
    own.firstExerciseDone = true;
    const StateRecord kept = stricterRecord(own, recordAt(kEveningStart - kMinute, 20));
    EXPECT_EQ(kept.nesselMinutes, 30);
    EXPECT_EQ(kept.lastActive, kEveningStart);
    EXPECT_TRUE(kept.firstExerciseDone);
}

// A running module's file is followed, with what a real break gives back; an
// edit below that, times ahead of the clock or an older file are not.
TEST(UsageLedger, TheLedgerFollowsTheModuleWithinTheBreakRules) {
    const int16_t bedtime = 60, sleep = 60;
    const StateRecord ledger = recordAt(kEveningStart, 40);
    const uint64_t later = kEveningStart + 30 * kMinute;
    // Thirty minutes off give back half of the allowance: 40 - 30.
    EXPECT_EQ(followModuleRecord(ledger, recordAt(later, 10), later, bedtime, sleep).nesselMinutes, 10);
    EXPECT_EQ(followModuleRecord(ledger, recordAt(later, 0), later, bedtime, sleep).nesselMinutes, 10);
    EXPECT_EQ(followModuleRecord(ledger, recordAt(later, 45), later, bedtime, sleep).nesselMinutes, 45);
    const StateRecord ahead = followModuleRecord(ledger, recordAt(later + 600 * kMinute, 0), later, bedtime, sleep);
    EXPECT_EQ(ahead.lastActive, later);
    EXPECT_EQ(ahead.nesselMinutes, 10);
    EXPECT_EQ(followModuleRecord(ledger, recordAt(kEveningStart - kMinute, 0), later, bedtime, sleep).nesselMinutes,
              40);
}

// The guard looks every two seconds. Use counts only while the module is
// missing and the session is in use throughout; a lock, a long gap between
// looks or a running module counts nothing.
TEST(UsageLedger, MinutesInUseWithTheModuleMissingCount) {
    struct Look {
        uint64_t second;
        bool inUse, moduleRunning;
    };
    Settings bothModules = withNessel();
    bothModules.hopsaDisabled = 0;
    auto count = [&](std::initializer_list<Look> looks, StateRecord ledger) {
        SessionUseCount use;
        for (const Look& look : looks)
            for (uint64_t s = look.second; s < look.second + 60; s += 2)
                use.look(ledger, kEveningStart + s * kSecond, look.inUse, look.moduleRunning, bothModules);
        return ledger;
    };
    const StateRecord start = recordAt(kEveningStart, 10);
    EXPECT_EQ(count({{0, true, false}, {60, true, false}, {120, true, false}}, start).nesselMinutes, 12);
    EXPECT_EQ(count({{0, true, true}, {60, true, true}}, start).nesselMinutes, 10);
    EXPECT_EQ(count({{0, false, false}, {60, false, false}}, start).nesselMinutes, 10);
    // Only what the settings switch on counts.
    bothModules.nesselDisabled = 1;
    EXPECT_EQ(count({{0, true, false}, {60, true, false}}, start).nesselMinutes, 10);
    EXPECT_EQ(count({{0, true, false}, {60, true, false}}, start).hopsaMinutes, start.hopsaMinutes + 1);
    bothModules.nesselDisabled = 0;
    // Stand-by between two looks: the use starts again after it.
    EXPECT_EQ(count({{0, true, false}, {3600, true, false}, {3660, true, false}}, start).nesselMinutes, 11);
    // The module ended every 50 s and back 4 s later, each start writing its
    // record anew: the minutes still count.
    SessionUseCount use;
    StateRecord ledger = start;
    for (uint64_t s = 0; s < 600; s += 2) {
        const uint64_t now = kEveningStart + s * kSecond;
        const bool running = s % 50 >= 4;
        StateRecord restarted = ledger;
        restarted.lastActive = restarted.lastAwake = now;
        if (running) ledger = followModuleRecord(ledger, restarted, now, 60, 60);
        use.look(ledger, now, true, running, bothModules);
    }
    EXPECT_GE(ledger.nesselMinutes, 18);
    EXPECT_EQ(ledger.hopsaMinutes, start.hopsaMinutes + ledger.nesselMinutes - 10);
}

// Inside the sleep time the guard asks for the shut-down after three minutes
// of use once the module was found missing, after six while it ran
// throughout, and once; outside the sleep time, or with Nessel off, never.
TEST(UsageLedger, TheGuardHoldsTheSleepTime) {
    Settings settings = withNessel();
    settings.sleepMinutes = 60;
    const StateRecord asleep = recordAt(kEveningStart - 10 * kMinute, 45, true);
    auto firstAsk = [](const StateRecord& ledger, bool moduleRunning, const Settings& with) {
        SleepTimeHold hold;
        int64_t first = -1;
        int asks = 0;
        for (uint64_t s = 0; s <= 600; s += 2)
            if (hold.look(ledger, kEveningStart + s * kSecond, true, moduleRunning, with) && ++asks == 1)
                first = static_cast<int64_t>(s);
        EXPECT_LE(asks, 1);
        return first;
    };
    EXPECT_EQ(firstAsk(asleep, false, settings), 180);
    EXPECT_EQ(firstAsk(asleep, true, settings), 360);
    StateRecord awake = asleep;
    awake.sleepPending = false;
    EXPECT_EQ(firstAsk(awake, false, settings), -1);
    StateRecord over = asleep;
    over.lastAwake = kEveningStart - 61 * kMinute;
    EXPECT_EQ(firstAsk(over, false, settings), -1);
    Settings off = settings;
    off.nesselDisabled = 1;
    EXPECT_EQ(firstAsk(asleep, false, off), -1);
}

}  // namespace

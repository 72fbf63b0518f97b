#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "control/break_credit.h"
#include "control/state_record.h"
#include "control/usage_ledger.h"
#include "simulated_evening.h"

namespace {

struct Image {
    StateImage bytes;
    StateRecord record;
};

// Two hand-written images whose records differ in every field.
const Image kImages[] = {
    {{0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // 0 lastActive
      0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11,  // 8 lastAwake
      0xfe, 0xff, 0xff, 0xff,                          // 16 nesselMinutes
      0x24, 0x23, 0x22, 0x21,                          // 20 hopsaMinutes
      0x01, 0x00, 0x00, 0x00},                         // 24 sleepPending, 25 firstExerciseDone, 26 reserved
     {0x0102030405060708, 0x1112131415161718, -2, 0x21222324, true, false}},
    {{0x38, 0x37, 0x36, 0x35, 0x34, 0x33, 0x32, 0x31, 0x48, 0x47, 0x46, 0x45, 0x44, 0x43,
      0x42, 0x41, 0x54, 0x53, 0x52, 0x51, 0xfd, 0xff, 0xff, 0xff, 0x00, 0x01, 0x00, 0x00},
     {0x3132333435363738, 0x4142434445464748, 0x51525354, -3, false, true}},
};

auto fields(const StateRecord& r) {
    return std::make_tuple(r.lastActive, r.lastAwake, r.nesselMinutes, r.hopsaMinutes, r.sleepPending,
                           r.firstExerciseDone);
}

// The writer gives the images byte for byte. Each image, cut to every length,
// is read over the other's record: the fields it covers whole are read, the
// others keep their values; whole, it gives every field back, its reserved
// bytes 26-27 ignored.
TEST(StateRecord, ImagesHoldEveryFieldAtItsOffsetAndShortOnesOnlyWhatTheyCoverWhole) {
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(encodeStateRecord(kImages[i].record), kImages[i].bytes);
        const StateRecord &from = kImages[i].record, &kept = kImages[1 - i].record;
        StateImage bytes = kImages[i].bytes;
        bytes[24] *= 7;  // a flag is set by any byte but 0
        bytes[25] *= 255;
        bytes[26] = 0xA5;
        bytes[27] = 0x5A;
        for (size_t size = 0; size <= kStateRecordSize; ++size) {
            StateRecord want = kept, got = kept;
            if (size >= 8) want.lastActive = from.lastActive;
            if (size >= 16) want.lastAwake = from.lastAwake;
            if (size >= 20) want.nesselMinutes = from.nesselMinutes;
            if (size >= 24) want.hopsaMinutes = from.hopsaMinutes;
            if (size >= 25) want.sleepPending = from.sleepPending;
            if (size >= 26) want.firstExerciseDone = from.firstExerciseDone;
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
            decodeStateRecord(cut.data(), size, got);  // on the heap: a read past the cut shows
            EXPECT_EQ(fields(got), fields(want)) << "image " << i << " cut to " << size;
        }
    }
}

// A sleep time below one minute acts as one minute; extreme values stay in range.
TEST(BreakCredit, CreditsStayInRange) {
    for (int16_t sleep : {int16_t{0}, int16_t{-5}, int16_t{SHRT_MIN}}) {
        EXPECT_EQ(nesselMinutesAfterBreak(30, 0, 45, sleep), 30) << sleep;
        EXPECT_EQ(nesselMinutesAfterBreak(30, 1, 45, sleep), 0) << sleep;
        EXPECT_TRUE(sleepTimeRunning(0, sleep));
        EXPECT_FALSE(sleepTimeRunning(1, sleep));
    }
    EXPECT_EQ(nesselMinutesAfterBreak(INT_MAX, INT_MAX, SHRT_MAX, 1), 0);
    EXPECT_EQ(nesselMinutesAfterBreak(INT_MIN, INT_MIN, SHRT_MAX, 1), 0);
    EXPECT_EQ(nesselMinutesAfterBreak(INT_MAX, INT_MIN, 45, 60), 42);
    EXPECT_EQ(hopsaMinutesAfterBreak(INT_MAX, INT_MIN, SHRT_MIN), 0);
    EXPECT_EQ(hopsaMinutesAfterBreak(INT_MAX, 0, 15), 0);
    EXPECT_EQ(hopsaMinutesAfterBreak(20, 0, 15), 13);
    EXPECT_EQ(hopsaMinutesAfterBreak(INT_MIN, 0, SHRT_MAX), 0);  // a negative count is no count
    EXPECT_EQ(hopsaMinutesAfterBreak(INT_MIN, 10, SHRT_MIN), 0);
    EXPECT_EQ(hopsaMinutesAfterBreak(10, 60, 120), 10);  // more than an hour off rests Hopsa
    EXPECT_EQ(hopsaMinutesAfterBreak(10, 61, 120), 0);
}

// A deleted state file gives back neither minutes nor sleep time.
TEST(UsageLedger, NoRecordIsKinderThanTheLedger) {
    StateRecord ledger, own;
    ledger.lastActive = ledger.lastAwake = own.lastActive = own.lastAwake = kEveningStart;
    ledger.nesselMinutes = 40;
    ledger.sleepPending = true;
    own.nesselMinutes = 45;
    EXPECT_EQ(stricterRecord(StateRecord{}, ledger).nesselMinutes, 40);
    EXPECT_TRUE(stricterRecord(StateRecord{}, ledger).sleepPending);
    EXPECT_EQ(stricterRecord(own, ledger).nesselMinutes, 45);
}

// Starts the module on a state file holding the first `size` bytes of
// `record`, whose last minute was counted `minutesAgo` before the start.
StateRecord restartAfter(SimulatedEvening& evening, StateRecord record, int64_t minutesAgo,
                         size_t size = kStateRecordSize) {
    const int64_t ago = minutesAgo * static_cast<int64_t>(kMinute);
    record.lastAwake = record.lastActive = evening.host.now.utc - static_cast<uint64_t>(ago);
    const StateImage image = encodeStateRecord(record);
    evening.host.stateFile.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
    evening.startModule();
    return evening.host.storedState();
}

// Minutes off give Nessel minutes back in proportion, from bedtime - 3 at most;
// a short break keeps the next exercise two minutes away, a longer one starts
// its count again; a clock set backwards only clamps. A short file (times and
// counters, no flags) is read as far as it goes.
TEST(Resynchronise, BreaksCreditTheCountersAndAClockSetBackwardsCreditsNothing) {
    struct Case {
        const char* name;
        int32_t nessel, hopsa;
        int64_t minutesAgo;
        int32_t wantNessel, wantHopsa;
        size_t fileSize = kStateRecordSize;
    };
    const Case cases[] = {
        {"twenty minutes off", 30, 0, 20, 15, 0},
        {"twenty minutes off, a short file", 30, 7, 20, 15, 0, 24},
        {"an hour off", 30, 0, 60, 0, 0},
        {"past bedtime", 50, 0, 4, 42 - 3, 0},
        {"three minutes off near an exercise", 0, 14, 3, 0, 13},
        {"ten minutes off near an exercise", 0, 14, 10, 0, 0},
        {"eight minutes off far from an exercise", 0, 5, 8, 0, 5},
        {"more than an hour off", 0, 5, 61, 0, 0},
        {"clock set backwards", 30, 14, -120, 30, 13},
    };
    for (const Case& c : cases) {
        StateRecord record;
        record.nesselMinutes = c.nessel;
        record.hopsaMinutes = c.hopsa;
        SimulatedEvening evening{Settings{}};
        const StateRecord stored = restartAfter(evening, record, c.minutesAgo, c.fileSize);
        EXPECT_EQ(stored.nesselMinutes, c.wantNessel) << c.name;
        EXPECT_EQ(stored.hopsaMinutes, c.wantHopsa) << c.name;
        EXPECT_EQ(stored.lastActive, evening.host.now.utc) << c.name;
    }
    StateRecord sleeping;
    sleeping.sleepPending = true;
    SimulatedEvening backwards{Settings{}};
    restartAfter(backwards, sleeping, -120);
    EXPECT_TRUE(backwards.core().schedules().sleepMode());
}

TEST(Resynchronise, DamagedRecordsNeitherOverflowNorLeaveCountersOutOfRange) {
    SimulatedEvening damaged{Settings{}};
    const StateImage image = encodeStateRecord({UINT64_MAX, 1, INT_MAX, INT_MAX, false, false});  // a very long break
    damaged.host.stateFile.assign(image.begin(), image.end());
    damaged.startModule();
    EXPECT_EQ(damaged.host.storedState().nesselMinutes, 0);
    EXPECT_EQ(damaged.host.storedState().hopsaMinutes, 0);
    damaged.minutes(5);
    EXPECT_GE(damaged.host.storedState().nesselMinutes, 0);
}

// A tick 90 s after the previous one counts its minute and brings the first
// exercise; one 91 s after is a break that clamps the count to 13 before the
// tick counts 14. A clock set back an hour only holds the tick back.
TEST(MinuteTick, OnlyAGapOfMoreThanNinetySecondsResynchronises) {
    struct Case {
        uint64_t standBySeconds, minutesBack;
        size_t exercisesAtTheTick;
    };
    for (const Case& c : {Case{30, 0, 1}, Case{31, 0, 0}, Case{0, 60, 1}}) {
        StartedEvening evening(withHopsa());
        evening.minutes(14);
        ASSERT_EQ(evening.host.storedState().hopsaMinutes, 14);
        evening.standByFor(c.standBySeconds);
        evening.host.now.utc -= c.minutesBack * kMinute;
        evening.untilNextMinuteTick();
        EXPECT_EQ(evening.host.scenesStarted, c.exercisesAtTheTick) << c.standBySeconds;
        evening.minutes(1);
        EXPECT_EQ(evening.host.scenesStarted, 1u) << c.standBySeconds;
    }
}

}  // namespace

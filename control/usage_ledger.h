#pragma once
#include <cstdint>

#include "control/state_record.h"
#include "settings/settings.h"

// The guard's copy of a user's record, kept where the user cannot write. It
// follows the module's state file while the module runs and goes on counting
// the minutes the session is in use while the module is missing, so that
// neither ending the module nor deleting or editing its file gives time back.

// The record a module starts from: its own file's, made no kinder than the
// ledger's (more minutes used, the later last counted minute, a pending sleep
// time or a first exercise that happened stays so).
StateRecord stricterRecord(const StateRecord& own, const StateRecord& ledger);

// The ledger after the guard read the running module's file. The file is taken
// as it is, but its minutes never drop below what a real break since the
// ledger's last counted minute gives back, its times never run ahead of the
// guard's clock, and a start that counted nothing keeps the ledger's last
// counted minute; a file older than the ledger changes nothing.
StateRecord followModuleRecord(const StateRecord& ledger, const StateRecord& written, uint64_t now,
                               int16_t bedtimeMinutes, int16_t sleepMinutes);

// The longest time between two of the guard's looks that still counts as
// continuous use; a longer one was stand-by or the computer off.
constexpr int64_t kLongestLookGap = 30 * 10'000'000LL;

// Counts the minutes a session is in use while its module is missing. The
// guard looks every few seconds, with the module running or not: use is
// continuous from the first look that found the session in use (active,
// unlocked) until one that did not, or until a look that came long after the
// one before (stand-by, the computer off). While the module is missing, every
// whole minute of continuous use after the ledger's last counted minute counts
// for each module the settings switch on.
class SessionUseCount {
public:
    // One look at time now; returns whether the ledger gained a minute.
    bool look(StateRecord& ledger, uint64_t now, bool sessionInUse, bool moduleRunning, const Settings& settings);

private:
    uint64_t lastLook_ = 0;
    uint64_t inUseSince_ = 0;
};

// The guard's own hold on the sleep time, for a module ended at once: inside
// the sleep time that followed the turn-off scene (lastAwake no longer moves),
// once the session has been
// in use for three minutes, the guard asks for the shut-down itself. While the
// module runs and was never found missing, the module asks first and the
// guard only after six. It asks once until a break or the sleep time's end.
class SleepTimeHold {
public:
    static constexpr int32_t kMinutesWithoutModule = 3;
    static constexpr int32_t kMinutesWithModule = 6;
    // A lastAwake this recent means the module is still counting awake minutes.
    static constexpr int32_t kAwakeMinutes = 2;

    // One look; returns whether the shut-down is to be asked for now.
    // calendarClosed: the parents' calendar keeps the computer closed, which
    // the guard holds as it holds the sleep time.
    bool look(const StateRecord& ledger, uint64_t now, bool sessionInUse, bool moduleRunning, const Settings& settings,
              bool calendarClosed = false);

private:
    uint64_t lastLook_ = 0;
    uint64_t since_ = 0;  // 0: not inside the sleep time with the session in use
    bool moduleMissed_ = false;
    bool asked_ = false;
};

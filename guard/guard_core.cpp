#include "guard/guard_core.h"

#include <algorithm>

#include "control/break_credit.h"
#include "control/nessel_steps.h"
#include "control/usage_time.h"

void GuardCore::know(const std::string& user, const StateRecord& record, const CalendarRecord& calendar) {
    User& known = users_[user];
    known.record = record;
    known.calendar = calendar;
    known.calendar.parentsMode = false;  // a mode of a module, never of the guard's copy
}

void GuardCore::sessionEvent(uint32_t session, SessionEvent event) {
    Session& watched = sessions_[session];
    switch (event) {
    case SessionEvent::Logon:
    case SessionEvent::Logoff: watched = Session{}; break;
    case SessionEvent::Lock: watched.locked = true; break;
    case SessionEvent::Unlock: watched.locked = false; break;
    case SessionEvent::Connect: watched.connected = true; break;
    case SessionEvent::Disconnect: watched.connected = false; break;
    }
    // Whoever comes back to the session is not taken for the parents who left it.
    if (event != SessionEvent::Unlock && event != SessionEvent::Connect) watched.parentsMode = false;
    watched.useBroken = true;
}

void GuardCore::suspend() {
    suspended_ = true;
    for (auto& entry : sessions_) entry.second.useBroken = true;
}

void GuardCore::resume() { suspended_ = false; }

void GuardCore::parentsMode(uint32_t session) {
    sessions_[session].parentsMode = true;
    sessions_[session].useBroken = true;
}

void GuardCore::parentsClose(uint32_t session) {
    sessions_[session].parentsClosed = true;
    sessions_[session].useBroken = true;
}

bool GuardCore::closedByParents(uint32_t session) const {
    const auto found = sessions_.find(session);
    return found != sessions_.end() && found->second.parentsClosed;
}

GuardSteps GuardCore::look(const std::string& name, const std::vector<uint32_t>& sessions, const GuardRules& rules,
                           GuardClock now, LocalMinute local) {
    GuardSteps steps;
    User& user = users_[name];
    const Settings& settings = rules.settings;
    bool broken = false, inUse = false;
    for (uint32_t id : sessions) {
        Session& session = sessions_[id];
        broken = broken || session.useBroken;
        inUse = inUse || (!suspended_ && session.inUse());
        session.useBroken = false;
    }
    if (!inUse) {
        steps.storeRecords = user.inUse;  // the end of use, for the rest that follows
        user.inUse = false;
        return steps;
    }
    const bool extraTime = rules.extraTimeUntil > now.utc;
    if (extraTime && rules.extraTimeUntil > user.extraTimeSeen) {
        // A new grant takes back what the limits began.
        user.phase = Phase::Counting;
        user.sleepMode = false;
        user.record.sleepPending = false;
        user.record.nesselMinutes = std::min(user.record.nesselMinutes, settings.bedtimeMinutes - 1);
        steps.storeRecords = true;
    }
    user.extraTimeSeen = rules.extraTimeUntil;
    if (!user.inUse || broken) {
        beginUse(user, settings, now.utc, steps);
    } else if (now.awake > user.awakeAt) {
        user.unitsOfMinute += static_cast<int64_t>(now.awake - user.awakeAt);
    }
    user.inUse = true;
    user.awakeAt = now.awake;
    user.record.lastActive = now.utc;
    if (!user.sleepMode) user.record.lastAwake = now.utc;
    for (; user.unitsOfMinute >= kUnitsPerMinute; user.unitsOfMinute -= kUnitsPerMinute)
        countMinute(user, rules, now.utc, local, steps);
    return steps;
}

void GuardCore::beginUse(User& user, const Settings& settings, uint64_t utc, GuardSteps& steps) {
    StateRecord& record = user.record;
    // What use began again after; a clock set back gives nothing.
    const int32_t slept = minutesBetween(record.lastAwake, utc);
    user.phase = Phase::Counting;
    user.minutesPastLimit = 0;
    user.sleepMode = false;
    if (record.sleepPending && sleepTimeRunning(slept, settings.sleepMinutes)) {
        user.sleepMode = !settings.nesselDisabled;
        steps.sleepScene = user.sleepMode;
    } else if (record.sleepPending) {
        record.sleepPending = false;
        record.nesselMinutes = 0;
    } else if (slept > 0) {
        record.nesselMinutes =
            nesselMinutesAfterBreak(record.nesselMinutes, slept, settings.bedtimeMinutes, settings.sleepMinutes);
    }
    steps.storeRecords = true;
}

void GuardCore::countMinute(User& user, const GuardRules& rules, uint64_t utc, LocalMinute local, GuardSteps& steps) {
    const Settings& settings = rules.settings;
    steps.storeRecords = true;
    if (settings.nesselDisabled || rules.extraTimeUntil > utc) return;  // extra time counts towards no limit
    if (user.sleepMode) {
        if (++user.minutesPastLimit == kSleepTimeMinutesBeforeShutdown) {
            steps.forcedShutdown = true;
            CalendarGate::countShutdown(rules.calendar, user.calendar, local);
        }
        return;
    }
    const bool closed = rules.calendar.restricts() && !CalendarGate::allows(rules.calendar, user.calendar, local);
    if (!closed && !rules.freeTime) {
        CalendarGate::countMinute(rules.calendar, user.calendar, local - 1);
        ++user.record.nesselMinutes;
    }
    followLimit(user, closed || user.record.nesselMinutes >= settings.bedtimeMinutes, rules, local, steps);
}

void GuardCore::followLimit(User& user, bool limitReached, const GuardRules& rules, LocalMinute local,
                            GuardSteps& steps) {
    if (!limitReached) {  // the parents moved the limit
        user.phase = Phase::Counting;
        user.minutesPastLimit = 0;
        return;
    }
    if (steps.turnOffScene) return;  // minutes caught up at once still give the child the steps' time
    switch (user.phase) {
    case Phase::Counting:
        user.phase = Phase::TurnOffShown;
        user.minutesPastLimit = 0;
        user.record.sleepPending =
            user.record.sleepPending || user.record.nesselMinutes >= rules.settings.bedtimeMinutes;
        steps.turnOffScene = true;
        return;
    case Phase::TurnOffShown:
        if (++user.minutesPastLimit < kShutdownAfterTurnOff) return;
        user.phase = Phase::ShutdownAsked;
        steps.shutdown = true;
        CalendarGate::countShutdown(rules.calendar, user.calendar, local);
        return;
    case Phase::ShutdownAsked:
        if (++user.minutesPastLimit < kForcedShutdownAfterTurnOff) return;
        user.phase = Phase::ForcedAsked;
        steps.forcedShutdown = true;
        return;
    case Phase::ForcedAsked: return;
    }
}

#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "calendar/calendar_record.h"
#include "control/state_record.h"
#include "calendar/weekly_calendar.h"
#include "settings/settings.h"

// The guard's rules: what it counts, what it credits as rest and when it ends
// the evening. It owns no clock and reads no file: the service hands it the
// time, what the service manager told it (sessions and power) and what the
// parents set, and writes out the records it keeps. Nothing the child's own
// programs say is an input, so a decoy, frozen, ended or lying module changes
// no minute.

// The guard's clock at one look: the wall clock (UTC FILETIME), for the
// records and the calendar, and the time the computer has been awake (100 ns
// units, never going back, standing still while it sleeps), which measures use.
struct GuardClock {
    uint64_t utc = 0;
    uint64_t awake = 0;
};

// What the service manager tells the guard of a session.
enum class SessionEvent { Logon, Logoff, Lock, Unlock, Connect, Disconnect };

// What the parents set for a user, as the guard last read it.
struct GuardRules {
    Settings settings;  // the user's own
    WeeklyCalendar calendar;
    uint64_t extraTimeUntil = 0;  // UTC; 0 for none
    // An always-allowed program (the school's) has the foreground: the
    // minutes this look counts go towards no budget, though the hours and
    // the sleep time still hold.
    bool freeTime = false;
};

// What the guard is to do for a user after one look.
struct GuardSteps {
    bool turnOffScene = false;  // the limit is reached: the turn-off scene, the shut-down 3 minutes later
    bool sleepScene = false;    // use inside the sleep time: the sleep scene, forced off after 3 minutes
    bool shutdown = false;      // ask Windows to shut down
    bool forcedShutdown = false;
    bool storeRecords = false;  // the user's records changed: keep them
};

class GuardCore {
public:
    // The records kept of a user, as last stored, before the user's first look.
    void know(const std::string& user, const StateRecord& record, const CalendarRecord& calendar);
    bool knows(const std::string& user) const { return users_.count(user) != 0; }
    const StateRecord& record(const std::string& user) const { return users_.at(user).record; }
    const CalendarRecord& calendar(const std::string& user) const { return users_.at(user).calendar; }

    // The service manager's notices. A session the guard hears of first is in
    // use; the service says Lock for one it finds locked when it starts.
    void sessionEvent(uint32_t session, SessionEvent event);
    void suspend();
    void resume();
    // What the guard granted to the parents' password: the parents at the computer
    // (their mode, which ends when the session is locked, left or its user
    // changes) and the parents' close of the session's module (which lasts
    // until its user logs off or on).
    void parentsMode(uint32_t session);
    void parentsClose(uint32_t session);
    bool closedByParents(uint32_t session) const;

    // One look at a user the settings control, logged on in the sessions
    // given. Every whole minute of awake time in which one of those sessions
    // was in use (logged on, connected, unlocked, the parents not at it) counts
    // for Nessel and the calendar; a stretch out of use that the guard saw
    // (locked, left, asleep, before its start) is credited as rest when use
    // begins again.
    GuardSteps look(const std::string& user, const std::vector<uint32_t>& sessions, const GuardRules& rules,
                    GuardClock now, LocalMinute local);

private:
    struct Session {
        bool locked = false;
        bool connected = true;
        bool parentsMode = false;
        bool parentsClosed = false;
        bool useBroken = false;  // use ended since the last look
        bool inUse() const { return !locked && connected && !parentsMode && !parentsClosed; }
    };
    enum class Phase { Counting, TurnOffShown, ShutdownAsked, ForcedAsked };
    struct User {
        StateRecord record;
        CalendarRecord calendar;
        bool inUse = false;
        uint64_t awakeAt = 0;  // the awake clock at the last look in use
        int64_t unitsOfMinute = 0;
        uint64_t extraTimeSeen = 0;
        bool sleepMode = false;
        Phase phase = Phase::Counting;
        int32_t minutesPastLimit = 0;
    };

    void beginUse(User& user, const Settings& settings, uint64_t utc, GuardSteps& steps);
    void countMinute(User& user, const GuardRules& rules, uint64_t utc, LocalMinute local, GuardSteps& steps);
    void followLimit(User& user, bool limitReached, const GuardRules& rules, LocalMinute local, GuardSteps& steps);

    std::map<uint32_t, Session> sessions_;
    std::map<std::string, User> users_;
    bool suspended_ = false;
};

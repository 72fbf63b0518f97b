#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "control/calendar_record.h"
#include "control/state_record.h"
#include "control/usage_ledger.h"
#include "control/weekly_calendar.h"
#include "scene/key_value_document.h"
#include "settings/settings.h"

// Keeps the control module running in every active session (the console's,
// remote ones), as that session's user, while the user is one the settings
// control. A module the guard did not start (the Run key's, a sender's) is
// adopted; one that ends without the parents' request is started again at the
// next follow(). It also keeps each user's ledger: the module's record while
// the module runs, and the minutes the session is in use while it is missing,
// and a copy of the calendar's record (the day's used minutes) that the module
// never starts kinder than, and each day's line of the history. It holds the sleep time and the calendar's closed
// hours, asking for the shut-down itself when the module does not.
class SessionGuard {
public:
    using Clock = uint64_t (*)();  // UTC FILETIME
    using Shutdown = void (*)();
    // The service passes the system's clock and shut-down; tests their own.
    SessionGuard(Clock clock, Shutdown shutdown) : clock_(clock), shutdown_(shutdown) {}
    ~SessionGuard();
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

    // Called every two seconds by the service.
    void follow();
    // The parents are closing the session's module: the guard leaves the
    // session until a module started later runs there, or its user logs on or off.
    void parentsClose(DWORD session);
    // The parents' close did not happen.
    void followAgain(DWORD session);
    // A user logged on to or off the session.
    void sessionLogonOrLogoff(DWORD session);
    // The session was locked or unlocked, as Windows tells services. Systems
    // from Windows 7 on also answer when asked; earlier ones only tell.
    void sessionLocked(DWORD session, bool locked);

private:
    struct Watch {
        HANDLE module = nullptr;
        bool left = false;  // the parents closed its module
        FILETIME leftAt{};
        bool locked = false;
        wchar_t ledgerPath[MAX_PATH] = L"";  // the ledger of the user last seen
        StateRecord ledger;
        wchar_t calendarPath[MAX_PATH] = L"";  // the calendar ledger of that user
        CalendarRecord calendar;
        SessionUseCount use;
        SleepTimeHold sleepTime;
    };

    static void forgetModule(Watch& watch);
    void followSession(DWORD session, Watch& watch, const Settings& settings, const KeyValueDocument& limits);
    void keepModule(DWORD session, Watch& watch, HANDLE token, const Settings& settings);
    // moduleRan: the session's module was running when the look began.
    void keepLedger(DWORD session, Watch& watch, HANDLE token, bool moduleRan, const Settings& settings,
                    const WeeklyCalendar& calendar);
    // The calendar's ledger: the running module's file taken in where it is no
    // kinder, a minute counted while the module is missing; returns whether the
    // calendar keeps the computer closed now (outside the parents' extra time).
    bool keepCalendar(Watch& watch, HANDLE token, uint64_t now, bool moduleRunning, bool minuteCounted,
                      const Settings& settings, const WeeklyCalendar& calendar);
    // The calendar's ledger and the day's line of the history, where the record changed.
    void storeCalendar(Watch& watch, HANDLE token, const CalendarRecord& next, const Settings& settings,
                       const WeeklyCalendar& calendar);

    std::map<DWORD, Watch> watches_;
    Clock clock_;
    Shutdown shutdown_;
};

// The sessions someone works in now: the console's and every active remote one.
std::vector<DWORD> activeSessions();

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "control/control_host.h"
#include "settings/settings.h"
#include "control/module_schedules.h"
#include "control/state_record.h"
#include "control/usage_time.h"
#include "calendar/weekly_calendar.h"

// The resident control module's logic: mode, minute tick, usage accounting,
// commands of the control channel and the tray icon's rule. The control window
// forwards its timers and messages here with the time of their arrival: its
// start (with the state file open), the icon's first refresh, the minute,
// the scene watchdog's and Tolder's seconds, the control message (with the
// hand-over password where carriesPassword holds) and the session's changes.
class ControlCore {
public:
    ControlCore(ControlHost& host, std::u16string userName);

    // Window start-up, with the state file already opened: load the settings
    // and resynchronise. The window then starts the icon's refresh and the minute.
    void start(Moment now);

    void minuteTick(Moment now);
    void tolderSecondTick(Moment now);
    void watchdogTick(Moment now);
    void refreshTrayIcon();
    void sessionChanged(uint32_t event);  // a session change notice's event

    // Whether a command comes with a password in the hand-over file.
    static bool carriesPassword(int code, uint32_t argument);
    // Handles WM_CONTROL_COMMAND; password is the hand-over text when carriesPassword holds.
    int32_t command(int code, uint32_t argument, std::u16string_view password, Moment now);

    bool childMode() const { return childMode_; }
    bool isActive() const;
    bool sessionActive() const { return sessionActive_; }
    bool closeAllRequested() const { return closeAllRequested_; }
    const StateRecord& state() const { return state_; }
    const Settings& settings() const { return settings_; }
    const ModuleSchedules& schedules() const { return schedules_; }
    const CalendarRecord& calendarRecord() const { return calendarRecord_; }

private:
    void resynchronise(Moment now);
    void reloadSettings();
    void enterParentsMode();
    void writeState();
    // The guard counts on its own: the module shows no more time than the
    // guard's record leaves, so its icon, warnings and scenes keep the
    // guard's time even after the module was frozen.
    void followGuardCount();
    bool sceneMustClose() const;
    // Writes the calendar file where the record changed since it was last written.
    void storeCalendar();
    // Whether the parents' calendar closes the computer now, for a user it
    // controls with Nessel on.
    bool calendarCloses(LocalMinute local);
    // The day's minute of use, for its budget and its line of the history.
    void countCalendarMinute(LocalMinute local);
    // The icon's tip and the warnings 10 and 3 minutes before the turn-off scene.
    void showTimeLeft(Moment now, LocalMinute local);
    // The calendar's wall clock at the moment, read once where a tick needs it.
    LocalMinute wallClock(Moment now) { return host_.localMinute(now.utc, calendar_.zone); }
    // Reads the parents' extra time; a new grant takes back what the limits began.
    void followExtraTime(Moment now);
    // Whole minutes of extra time left, rounded up, a day at most; 0 outside it.
    int32_t extraMinutesLeft(Moment now) const;

    ControlHost& host_;
    const std::u16string userName_;
    Settings settings_;
    StateRecord state_;
    ModuleSchedules schedules_;
    WeeklyCalendar calendar_;
    CalendarRecord calendarRecord_;
    CalendarImage storedCalendar_{};  // as the calendar file was last written
    int32_t warnedAt_ = -1;           // the last warning's minutes, -1 before the first
    uint64_t extraTimeUntil_ = 0;

    bool childMode_ = true;
    uint64_t lastTick_ = 0;
    bool trayShown_ = false;
    bool sessionActive_ = true;
    bool adminProven_ = false;
    bool closeAllRequested_ = false;
    uint32_t challenge_ = 0;
    uint32_t optionsWindow_ = 0;
};

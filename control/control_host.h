#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "calendar/calendar_record.h"
#include "control/state_record.h"

// What the control window gives the control logic and does for it. The logic
// owns no timer and reads no clock: the window passes the time with every call
// (Moment) and carries out these requests.
class ControlHost {
public:
    virtual ~ControlHost() = default;

    // Tick count of the last keyboard or mouse input.
    virtual uint32_t lastInputTick() = 0;
    virtual bool isVideoPlaying() = 0;
    // Fills the record from the settings file; a missing or short file leaves it as it is.
    virtual void loadSettings(Settings& settings) = 0;
    virtual bool checkPassword(std::u16string_view password) = 0;
    // A fresh challenge of at least 128 for the administrator proof.
    virtual uint32_t newChallenge() = 0;

    // Reads the start of the state file; returns the number of bytes read (0 when it is not open).
    virtual size_t readState(uint8_t* bytes, size_t capacity) = 0;
    // Writes the image at the start of the state file and flushes it.
    virtual void writeState(const StateImage& image) = 0;
    // Reads the guard's ledger of this user; returns the number of bytes read
    // (0 where there is no guard or no ledger yet).
    virtual size_t readLedger(uint8_t* bytes, size_t capacity) = 0;
    // The same for the guard's copy of this user's calendar record.
    virtual size_t readCalendarLedger(uint8_t* bytes, size_t capacity) = 0;
    // The end of the extra time the parents granted this user (UTC FILETIME), 0 for none.
    virtual uint64_t readExtraTime() = 0;

    // The wall-clock minute of a UTC moment, by the rules of the named time
    // zone (the computer's where it names none the system knows).
    virtual LocalMinute localMinute(uint64_t utc, const std::u16string& zone) = 0;
    // The limits file's text (each child's week); empty where there is none,
    // the text read last where it cannot be read now.
    virtual std::u16string readLimits() = 0;
    // Reads the calendar file; returns the number of bytes read.
    virtual size_t readCalendar(uint8_t* bytes, size_t capacity) = 0;
    virtual void writeCalendar(const CalendarImage& image) = 0;

    // Starts a program of the suite from the current directory, shown normally;
    // false when it could not be started.
    virtual bool startProgram(std::u16string_view file, std::u16string_view parameters) = 0;
    // Ends the program started last if it still runs: a scene that stopped
    // reporting, so that a hung one never stays beside the next.
    virtual void endLastProgram() = 0;
    // The one-second scene watchdog: stop it and start it anew.
    virtual void restartSceneWatchdog() = 0;
    virtual void stopSceneWatchdog() = 0;
    // Tolder's one-second tick.
    virtual void startTolderTimer() = 0;
    virtual void stopTolderTimer() = 0;
    virtual void requestShutdown(bool force) = 0;
    virtual void showTrayIcon(bool shown) = 0;
    // The icon's tip: the minutes of play left and the wall-clock minute of
    // the day the computer goes off, or minutesLeft -1 where nothing limits it.
    virtual void showTimeLeft(int32_t minutesLeft, int32_t offMinuteOfDay) = 0;
    // A balloon by the icon that takes no focus: so many minutes left.
    virtual void warnTimeLeft(int32_t minutesLeft) = 0;
    // Ends the control window (and with it the module).
    virtual void endModule() = 0;
};

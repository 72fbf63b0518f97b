#include "control/control_core.h"

#include <algorithm>
#include <utility>

#include "shell/control_commands.h"
#include "calendar/child_limits.h"
#include "control/controlled_user.h"
#include "control/nessel_steps.h"
#include "control/usage_ledger.h"

namespace {

constexpr int64_t kResynchroniseGap = 90 * kUnitsPerSecond;
// Minutes of play left at which Tikko's balloon warns.
constexpr int32_t kFirstWarning = 10;
constexpr int32_t kLastWarning = 3;

enum SessionEvent : uint32_t {
    kConsoleConnect = 1,
    kConsoleDisconnect = 2,
    kSessionLock = 7,
    kSessionUnlock = 8,
};

}  // namespace

ControlCore::ControlCore(ControlHost& host, std::u16string userName)
    : host_(host), userName_(std::move(userName)), schedules_(host, settings_, state_) {}

bool ControlCore::isActive() const { return childMode_ && isControlledUser(settings_, userName_); }

void ControlCore::start(Moment now) {
    reloadSettings();
    resynchronise(now);
}

void ControlCore::reloadSettings() {
    host_.loadSettings(settings_);
    KeyValueDocument limits;
    limits.parse(host_.readLimits());
    settings_ = childSettings(settings_, limits, userName_);
    calendar_ = calendarOf(limits, userName_);
    if (state_.nesselMinutes >= settings_.bedtimeMinutes) state_.nesselMinutes = settings_.bedtimeMinutes - 1;
}

void ControlCore::resynchronise(Moment now) {
    StateImage image{};
    const size_t read = host_.readState(image.data(), image.size());
    decodeStateRecord(image.data(), read < image.size() ? read : image.size(), state_);
    StateImage ledgerImage{};
    if (host_.readLedger(ledgerImage.data(), ledgerImage.size()) == ledgerImage.size()) {
        StateRecord ledger;
        decodeStateRecord(ledgerImage.data(), ledgerImage.size(), ledger);
        state_ = stricterRecord(state_, ledger);
    }
    childMode_ = true;
    refreshTrayIcon();
    const LocalMinute local = wallClock(now);
    CalendarImage own{}, ledger{};
    calendarRecord_ = decodeCalendarRecord(own.data(), host_.readCalendar(own.data(), own.size()));
    if (host_.readCalendarLedger(ledger.data(), ledger.size()) == ledger.size())
        calendarRecord_ =
            stricterCalendarRecord(calendarRecord_, decodeCalendarRecord(ledger.data(), ledger.size()), local);
    calendarRecord_.parentsMode = false;
    storedCalendar_.fill(0xFF);  // the file is written again whatever it held
    const int32_t offMinutes = minutesBetween(state_.lastActive, now.utc);
    state_.lastActive = now.utc;
    lastTick_ = now.utc;
    extraTimeUntil_ = 0;
    const bool extraTime = host_.readExtraTime() > now.utc;
    schedules_.resynchronise(now, offMinutes, !extraTime && calendarCloses(local));
    followExtraTime(now);
    writeState();
    storeCalendar();
    showTimeLeft(now, local);
}

void ControlCore::storeCalendar() {
    const CalendarImage image = encodeCalendarRecord(calendarRecord_);
    if (image == storedCalendar_) return;
    host_.writeCalendar(image);
    storedCalendar_ = image;
}

void ControlCore::followExtraTime(Moment now) {
    const uint64_t until = host_.readExtraTime();
    if (until > extraTimeUntil_ && until > now.utc) schedules_.extraTimeGranted();
    extraTimeUntil_ = until;
}

int32_t ControlCore::extraMinutesLeft(Moment now) const {
    if (extraTimeUntil_ <= now.utc) return 0;
    // A day at most: grants add up to hours, and a damaged file to anything.
    return static_cast<int32_t>(
        std::min<uint64_t>((extraTimeUntil_ - now.utc + kUnitsPerMinute - 1) / kUnitsPerMinute, kMinutesPerDay));
}

bool ControlCore::calendarCloses(LocalMinute local) {
    if (settings_.nesselDisabled || !isActive() || !calendar_.restricts()) return false;
    return !CalendarGate::allows(calendar_, calendarRecord_, local);
}

void ControlCore::countCalendarMinute(LocalMinute local) {
    CalendarGate::countMinute(calendar_, calendarRecord_, local - 1);
}

void ControlCore::showTimeLeft(Moment now, LocalMinute local) {
    int32_t left = -1;
    const int32_t extra = extraMinutesLeft(now);
    if (isActive() && !settings_.nesselDisabled) {
        // What the limits leave once the extra time is over.
        left = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{settings_.bedtimeMinutes} - state_.nesselMinutes, 0, settings_.bedtimeMinutes));
        const int32_t calendarLeft = CalendarGate::minutesLeft(calendar_, calendarRecord_, local + extra);
        if (calendar_.restricts() && calendarLeft >= 0) left = std::min(left, calendarLeft);
        if (schedules_.sleepMode() || schedules_.nesselPhase() != NesselPhase::Counting) left = 0;
        left += extra;
    }
    // The computer goes off the turn-off scene's minutes after the time left.
    host_.showTimeLeft(left,
                       left < 0 ? -1 : static_cast<int32_t>((local + left + kShutdownAfterTurnOff) % kMinutesPerDay));
    if (left > kFirstWarning || left < 0) warnedAt_ = -1;
    for (int32_t warning : {kFirstWarning, kLastWarning})
        if (left > 0 && left <= warning && (warnedAt_ < 0 || warnedAt_ > warning)) {
            host_.warnTimeLeft(left);
            warnedAt_ = left;
        }
}

void ControlCore::followGuardCount() {
    StateImage image{};
    if (host_.readLedger(image.data(), image.size()) != image.size()) return;
    StateRecord guard;
    decodeStateRecord(image.data(), image.size(), guard);
    state_.nesselMinutes = std::max(state_.nesselMinutes, guard.nesselMinutes);
}

void ControlCore::writeState() { host_.writeState(encodeStateRecord(state_)); }

void ControlCore::minuteTick(Moment now) {
    if (unitsBetween(lastTick_, now.utc) > kResynchroniseGap) resynchronise(now);
    lastTick_ = now.utc;
    if (!sessionActive_ || closeAllRequested_ || !isActive()) return;
    followExtraTime(now);
    // The minute that just passed was used, unless the computer was closed in
    // it; extra time counts towards no limit.
    const bool extraTime = extraMinutesLeft(now) > 0;
    const LocalMinute local = wallClock(now);
    if (!extraTime && !schedules_.sleepMode() && !schedules_.calendarClosing()) countCalendarMinute(local);
    const int32_t shutdownsBefore = schedules_.shutdownsAsked();
    followGuardCount();
    if (!settings_.nesselDisabled && !extraTime) schedules_.nesselMinute(now, calendarCloses(local));
    if (schedules_.shutdownsAsked() != shutdownsBefore) CalendarGate::countShutdown(calendar_, calendarRecord_, local);
    storeCalendar();
    if (!settings_.hopsaDisabled) schedules_.hopsaMinute(now);
    if (!settings_.tolderDisabled && !schedules_.tolderFast()) schedules_.tolderCheck(now);
    state_.lastActive = now.utc;
    if (!schedules_.sleepMode()) state_.lastAwake = now.utc;
    writeState();
    refreshTrayIcon();
    showTimeLeft(now, local);
}

void ControlCore::tolderSecondTick(Moment now) {
    if (sessionActive_ && !closeAllRequested_ && !settings_.tolderDisabled && isActive())
        schedules_.tolderCheck(now);
    else
        schedules_.stopTolderFast();
}

void ControlCore::watchdogTick(Moment now) { schedules_.watchdogTick(now.utc); }

void ControlCore::refreshTrayIcon() {
    const bool allDisabled = settings_.nesselDisabled && settings_.hopsaDisabled && settings_.tolderDisabled;
    const bool wanted = !settings_.selectedUsersOnly && !allDisabled && isActive();
    if (wanted == trayShown_) return;
    host_.showTrayIcon(wanted);
    trayShown_ = wanted;
}

void ControlCore::sessionChanged(uint32_t event) {
    if (event == kConsoleConnect || event == kSessionUnlock) sessionActive_ = true;
    if (event == kConsoleDisconnect || event == kSessionLock) sessionActive_ = false;
}

void ControlCore::enterParentsMode() {
    state_.hopsaMinutes = 0;
    state_.sleepPending = false;
    schedules_.leaveSleepMode();
    childMode_ = false;
    refreshTrayIcon();
    writeState();
    calendarRecord_.parentsMode = true;
    storeCalendar();
}

bool ControlCore::sceneMustClose() const {
    return !isActive() || closeAllRequested_ || schedules_.nesselSceneObsolete();
}

bool ControlCore::carriesPassword(int code, uint32_t argument) {
    return argument != 0 && (code == kCommandParents || code == kCommandClose || code == kCommandCloseAllWindows);
}

int32_t ControlCore::command(int code, uint32_t argument, std::u16string_view password, Moment now) {
    if (!carriesPassword(code, argument)) password = {};
    switch (code) {
    case kCommandParents:
        if (host_.checkPassword(password) && (!settings_.requireAdmin || adminProven_)) enterParentsMode();
        return 0;
    case kCommandChild:
        if (!childMode_) resynchronise(now);
        return 0;
    case kCommandClose:
        if (host_.checkPassword(password) && adminProven_) {
            enterParentsMode();
            host_.endModule();
        }
        return 0;
    case kCommandOptionsUpdate:
        reloadSettings();
        refreshTrayIcon();
        followExtraTime(now);
        showTimeLeft(now, wallClock(now));
        return 0;
    case kCommandGetMode: return childMode_ ? 1 : 0;
    case kCommandTikkoWork: schedules_.sceneReported(now.utc); return sceneMustClose() ? 1 : 0;
    case kCommandTikkoComplete:
        if (schedules_.sceneKind() == SceneKind::Hopsa) {
            CalendarGate::countExercise(calendar_, calendarRecord_, wallClock(now));
            storeCalendar();
        }
        schedules_.sceneComplete();
        return 0;
    case kCommandTikkoStart: schedules_.sceneReported(now.utc); return 0;
    case kCommandTestQuery: return static_cast<int32_t>(proof(argument));
    case kCommandAskQuery: challenge_ = host_.newChallenge(); return static_cast<int32_t>(challenge_);
    case kCommandInformAdmin:
        if (challenge_ != 0 && argument == proof(challenge_)) adminProven_ = true;
        challenge_ = 0;
        return 0;
    case kCommandCloseAllWindows:
        if (host_.checkPassword(password) && adminProven_) closeAllRequested_ = true;
        return 0;
    case kCommandTestCloseWindow: return closeAllRequested_ ? 1 : 0;
    case kCommandSetOptionsWindow: optionsWindow_ = argument; return 0;
    case kCommandGetOptionsWindow: return static_cast<int32_t>(optionsWindow_);
    default: return 0;
    }
}

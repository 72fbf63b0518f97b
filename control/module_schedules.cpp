#include "control/module_schedules.h"

#include <algorithm>

#include "control/break_credit.h"
#include "control/nessel_steps.h"

namespace {

constexpr uint32_t kIdleMinuteSeconds = 40;  // a minute with older input counts as idle
// Minutes the calendar's turn-off scene waits for an exercise or a grumble on screen.
constexpr int32_t kCalendarSceneWait = 2;
constexpr int64_t kHeartbeatLimit = 3 * kUnitsPerSecond;
// Watchdog seconds a new scene may take to send its first report; one that
// dies before it would otherwise hold the scene slot until the module ends.
constexpr int32_t kFirstReportLimit = 15;
constexpr int32_t kShortestGrumbleInterval = 15;
// A scene that never reports (no player, a broken one: the scene process shows
// an error box and stays) is started once more, not again and again.
constexpr int32_t kSilentLossesPerTrigger = 2;

}  // namespace

ModuleSchedules::ModuleSchedules(ControlHost& host, const Settings& settings, StateRecord& state)
    : host_(host), settings_(settings), state_(state) {}

uint32_t ModuleSchedules::idleSeconds(Moment now) { return ::idleSeconds(now.tick, host_.lastInputTick()); }

void ModuleSchedules::resynchronise(Moment now, int32_t offMinutes, bool calendarClosed) {
    resyncTick_ = now.tick;
    nesselPhase_ = NesselPhase::Counting;
    calendarClosedMinutes_ = -1;
    const int32_t sleptMinutes = minutesBetween(state_.lastAwake, now.utc);
    if (calendarClosed || (state_.sleepPending && sleepTimeRunning(sleptMinutes, settings_.sleepMinutes))) {
        sleepTicks_ = 0;
        sleepMode_ = true;
        if (!settings_.nesselDisabled) startNesselScene(true);
    } else if (state_.sleepPending) {
        state_.sleepPending = false;
        state_.nesselMinutes = 0;
        sleepMode_ = false;
    } else {
        state_.nesselMinutes = nesselMinutesAfterBreak(state_.nesselMinutes, sleptMinutes, settings_.bedtimeMinutes,
                                                       settings_.sleepMinutes);
    }
    if (!sleepMode_) state_.lastAwake = state_.lastActive;
    state_.hopsaMinutes = hopsaMinutesAfterBreak(state_.hopsaMinutes, offMinutes, settings_.exerciseInterval);
    tolderNext_ = 0;
    tolderCount_ = 0;
    silentLosses_.fill(0);
    stopTolderFast();
}

void ModuleSchedules::nesselMinute(Moment now, bool calendarClosed) {
    if (sleepMode_) {
        if (nesselPhase_ != NesselPhase::Counting) return;
        if (++sleepTicks_ >= kSleepTimeMinutesBeforeShutdown) {
            nesselPhase_ = NesselPhase::Held;
            host_.requestShutdown(true);
            ++shutdownsAsked_;
        }
        return;
    }
    if (calendarClosed) {
        calendarClosedMinute();
        return;
    }
    if (calendarClosedMinutes_ >= 0) {  // open again: the parents changed the calendar
        calendarClosedMinutes_ = -1;
        nesselPhase_ = NesselPhase::Counting;
    }
    const int32_t bedtime = settings_.bedtimeMinutes;
    ++state_.nesselMinutes;
    if (state_.nesselMinutes < bedtime) {
        nesselPhase_ = NesselPhase::Counting;
    } else {
        if (idleSeconds(now) > kIdleMinuteSeconds) --state_.nesselMinutes;
        if (nesselPhase_ == NesselPhase::Counting) {
            if (sceneKind_ == SceneKind::None) {
                startNesselScene(false);
                nesselPhase_ = NesselPhase::TurnOffShown;
                state_.sleepPending = true;
            } else {
                // Another scene is on screen: bedtime comes at the first minute after it.
                state_.nesselMinutes = bedtime - 1;
            }
        }
        if (sceneKind_ == SceneKind::Hopsa || sceneKind_ == SceneKind::Tolder) state_.nesselMinutes = bedtime - 1;
    }
    if (nesselPhase_ == NesselPhase::TurnOffShown && state_.nesselMinutes >= bedtime + kShutdownAfterTurnOff) {
        nesselPhase_ = NesselPhase::ShutdownRequested;
        host_.requestShutdown(false);
        ++shutdownsAsked_;
    }
    if (nesselPhase_ == NesselPhase::ShutdownRequested &&
        state_.nesselMinutes >= bedtime + kForcedShutdownAfterTurnOff) {
        nesselPhase_ = NesselPhase::ForcedShutdownRequested;
        host_.requestShutdown(true);
    }
}

void ModuleSchedules::calendarClosedMinute() {
    ++calendarClosedMinutes_;
    if (nesselPhase_ == NesselPhase::Counting || nesselPhase_ == NesselPhase::Held) {
        const bool otherScene = sceneKind_ == SceneKind::Hopsa || sceneKind_ == SceneKind::Tolder;
        nesselPhase_ = NesselPhase::Held;
        if (otherScene && calendarClosedMinutes_ < kCalendarSceneWait) return;
        startNesselScene(false);
        nesselPhase_ = NesselPhase::TurnOffShown;
        calendarClosedMinutes_ = 0;
    } else if (nesselPhase_ == NesselPhase::TurnOffShown && calendarClosedMinutes_ >= kShutdownAfterTurnOff) {
        nesselPhase_ = NesselPhase::ShutdownRequested;
        host_.requestShutdown(false);
        ++shutdownsAsked_;
    } else if (nesselPhase_ == NesselPhase::ShutdownRequested &&
               calendarClosedMinutes_ >= kForcedShutdownAfterTurnOff) {
        nesselPhase_ = NesselPhase::ForcedShutdownRequested;
        host_.requestShutdown(true);
    }
}

void ModuleSchedules::extraTimeGranted() {
    nesselPhase_ = NesselPhase::Counting;  // a turn-off in progress is taken back
    calendarClosedMinutes_ = -1;
    sleepMode_ = false;
    state_.sleepPending = false;
    state_.nesselMinutes = std::min(state_.nesselMinutes, settings_.bedtimeMinutes - 1);
}

void ModuleSchedules::hopsaMinute(Moment now) {
    if (nesselPhase_ != NesselPhase::Counting) return;
    if (settings_.skipIdleTime && idleSeconds(now) > kIdleMinuteSeconds) return;
    if (++state_.hopsaMinutes >= settings_.exerciseInterval) {
        state_.hopsaMinutes = 0;
        silentLosses(SceneKind::Hopsa) = 0;
        startHopsaScene();
    }
}

void ModuleSchedules::tolderCheck(Moment now) {
    if (nesselPhase_ != NesselPhase::Counting) return;
    const uint32_t lastInput = host_.lastInputTick();
    if (!isLaterTick(lastInput, resyncTick_)) return;  // untouched since the resynchronisation
    if (!tolderFast_ && host_.isVideoPlaying()) return;
    const uint32_t idle = ::idleSeconds(now.tick, lastInput);
    if (int64_t{idle} < int64_t{settings_.grumbleAfter} * 60 - 20) {
        stopTolderFast();
        tolderCount_ = 0;
        tolderNext_ = 0;
        silentLosses(SceneKind::Tolder) = 0;
        return;
    }
    if (tolderCount_ == 0) tolderNext_ += idle - 1;  // the first grumble is due now
    if (idle < tolderNext_) return;
    int32_t interval = settings_.grumbleRepeat * 60 / (tolderCount_ + 1);
    if (interval >= kShortestGrumbleInterval)
        ++tolderCount_;
    else
        interval = kShortestGrumbleInterval;
    if (tolderCount_ == 0) tolderCount_ = 1;
    tolderNext_ += static_cast<uint32_t>(interval);
    startTolderScene();
    if (interval < 60 && !tolderFast_) {
        tolderFast_ = true;
        tolderNext_ = idle + static_cast<uint32_t>(interval);
        host_.startTolderTimer();
    }
}

void ModuleSchedules::stopTolderFast() {
    tolderFast_ = false;
    host_.stopTolderTimer();
}

bool ModuleSchedules::startScene(SceneKind kind, std::u16string_view showSwitch) {
    if (silentLosses(kind) >= kSilentLossesPerTrigger) return false;
    if (!host_.startProgram(u"qz.exe", showSwitch)) return false;
    sceneKind_ = kind;
    sceneHeartbeat_ = 0;  // the new scene is judged by its own reports only
    silentTicks_ = 0;
    host_.restartSceneWatchdog();
    return true;
}

void ModuleSchedules::startNesselScene(bool sleep) {
    if (sceneKind_ != SceneKind::None) return;
    startScene(SceneKind::Nessel, sleep ? u"/show:nessel-sleep" : u"/show:nessel-turnoff");
}

void ModuleSchedules::startHopsaScene() {
    if (sceneKind_ != SceneKind::None) return;
    if (startScene(SceneKind::Hopsa, state_.firstExerciseDone ? u"/show:hopsa-usual" : u"/show:hopsa-first"))
        state_.firstExerciseDone = true;
}

void ModuleSchedules::startTolderScene() {
    if (sceneKind_ != SceneKind::None) return;
    startScene(SceneKind::Tolder, u"/show:tolder");
}

void ModuleSchedules::sceneReported(uint64_t utc) { sceneHeartbeat_ = utc; }

void ModuleSchedules::sceneComplete() {
    host_.stopSceneWatchdog();
    if (sceneKind_ == SceneKind::Hopsa) state_.hopsaMinutes = 0;
    sceneKind_ = SceneKind::None;
    sceneHeartbeat_ = 0;
}

void ModuleSchedules::watchdogTick(uint64_t utc) {
    if (sceneKind_ == SceneKind::None) return;
    const bool lost = sceneHeartbeat_ != 0 ? unitsBetween(sceneHeartbeat_, utc) > kHeartbeatLimit
                                           : ++silentTicks_ > kFirstReportLimit;
    if (lost) sceneLost();
}

void ModuleSchedules::sceneLost() {
    host_.stopSceneWatchdog();
    // A scene that reported and fell silent hangs: it is ended. One that never
    // reported may be showing why (no player), and stays.
    if (sceneHeartbeat_ != 0) host_.endLastProgram();
    const SceneKind lost = sceneKind_;
    sceneKind_ = SceneKind::None;
    if (sceneHeartbeat_ == 0) ++silentLosses(lost);
    if (lost == SceneKind::Hopsa) startHopsaScene();
}

bool ModuleSchedules::nesselSceneObsolete() const {
    return sceneKind_ == SceneKind::Nessel && nesselPhase_ == NesselPhase::Counting && !sleepMode_;
}

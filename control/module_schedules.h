#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control/control_host.h"
#include "settings/settings.h"
#include "control/state_record.h"
#include "control/usage_time.h"

// The scene the module started and has not yet seen end.
enum class SceneKind : int32_t { None = 0, Nessel = 1, Hopsa = 2, Tolder = 3 };

enum class NesselPhase : int32_t {
    Counting = 0,      // towards bedtime, or counting the sleep minutes in sleep mode
    Held = 1,          // the sleep-mode shut-down has been requested
    TurnOffShown = 2,  // the turn-off scene was started; counting towards the shut-down
    ShutdownRequested = 3,
    ForcedShutdownRequested = 4,
};

// Nessel's, Hopsa's and Tolder's schedules and the one-scene-at-a-time rule.
class ModuleSchedules {
public:
    ModuleSchedules(ControlHost& host, const Settings& settings, StateRecord& state);

    // The schedules' part of a resynchronisation, once the record is read and
    // lastActive is set to now; offMinutes is the time since the previous
    // lastActive. Started while the parents' calendar keeps the computer
    // closed, Nessel behaves as in the sleep time.
    void resynchronise(Moment now, int32_t offMinutes, bool calendarClosed = false);

    // calendarClosed: the parents' calendar closes the computer this minute
    // (hours or the day's budget): the turn-off scene, once no exercise or
    // grumble is on screen (two minutes at most), then the shut-down three
    // minutes later and the forced one two after that, whatever the idle time.
    void nesselMinute(Moment now, bool calendarClosed = false);
    void hopsaMinute(Moment now);
    void tolderCheck(Moment now);
    // Tolder's one-second tick is not wanted any more.
    void stopTolderFast();

    void sceneReported(uint64_t utc);  // "Tikko Start" and "Tikko Work"
    void sceneComplete();              // "Tikko Complete"
    void watchdogTick(uint64_t utc);   // each second of the scene watchdog
    // A Nessel scene left over from before the counter went back below bedtime.
    bool nesselSceneObsolete() const;
    void leaveSleepMode() { sleepMode_ = false; }
    // The parents granted extra time: Nessel counts again from a minute short
    // of bedtime at most, with no turn-off scene, shut-down or sleep time pending.
    void extraTimeGranted();

    NesselPhase nesselPhase() const { return nesselPhase_; }
    SceneKind sceneKind() const { return sceneKind_; }
    bool sleepMode() const { return sleepMode_; }
    // Shut-downs asked for so far, each sequence's first (its forced repeat not counted).
    int32_t shutdownsAsked() const { return shutdownsAsked_; }
    // The calendar has closed the computer: the turn-off scene and the shut-downs follow.
    bool calendarClosing() const { return calendarClosedMinutes_ >= 0; }
    bool tolderFast() const { return tolderFast_; }

private:
    void startNesselScene(bool sleep);
    void startHopsaScene();
    void startTolderScene();
    bool startScene(SceneKind kind, std::u16string_view showSwitch);
    // Scenes lost without a single report since the kind's last trigger: the
    // start and one start again may each be silent, then the kind waits.
    int32_t& silentLosses(SceneKind kind) { return silentLosses_[static_cast<size_t>(kind)]; }
    void sceneLost();
    uint32_t idleSeconds(Moment now);

    ControlHost& host_;
    const Settings& settings_;
    StateRecord& state_;

    void calendarClosedMinute();

    NesselPhase nesselPhase_ = NesselPhase::Counting;
    int32_t calendarClosedMinutes_ = -1;  // -1: the calendar is open
    int32_t shutdownsAsked_ = 0;
    bool sleepMode_ = false;
    int32_t sleepTicks_ = 0;
    SceneKind sceneKind_ = SceneKind::None;
    uint64_t sceneHeartbeat_ = 0;
    int32_t silentTicks_ = 0;  // watchdog ticks since the scene started, before its first report
    std::array<int32_t, 4> silentLosses_{};
    int32_t tolderCount_ = 0;
    uint32_t tolderNext_ = 0;  // idle seconds at which the next grumble is due
    bool tolderFast_ = false;
    uint32_t resyncTick_ = 0;
};

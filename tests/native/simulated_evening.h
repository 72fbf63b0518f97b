#pragma once
// A replayable evening for the control logic: a simulated clock, user, window
// timers, state file and scene processes around one ControlCore.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/control_commands.h"
#include "control/control_core.h"
#include "control/control_host.h"

// 2025-12-06 10:00 UTC (a Saturday) as a FILETIME.
constexpr uint64_t kEveningStart = 134'094'888'000'000'000ULL;
constexpr uint64_t kSecond = 10'000'000ULL;
constexpr uint64_t kMinute = 60 * kSecond;
using Seconds = std::vector<uint64_t>;

// Settings with one module switched on besides the default ones.
inline Settings withNessel() {
    Settings settings;
    settings.nesselDisabled = 0;
    return settings;
}

inline Settings withHopsa() {
    Settings settings;
    settings.hopsaDisabled = 0;
    return settings;
}

class SimulatedHost : public ControlHost {
public:
    Moment now{kEveningStart, 5'000'000};
    uint32_t lastInput = 5'000'000 - 60'000;  // the logon
    bool videoOpen = false;
    bool settingsFilePresent = true;
    Settings fileSettings;
    std::u16string storedPassword;  // empty: no password set
    uint32_t nextChallenge = 1000;
    std::vector<uint8_t> stateFile;
    bool programsPresent = true;

    int32_t zoneMinutes = 0;  // the wall clock's offset from UTC
    std::u16string limits;
    std::vector<uint8_t> calendarFile;
    int32_t tipLeft = -2, tipOff = -2;  // the icon's tip
    std::vector<int32_t> warnings;

    size_t scenesStarted = 0;
    std::string log;  // " nessel-turnoff@2700 S@2880 F@3000": scenes started and shut-downs asked, at their second
    int programsEnded = 0;
    int stateWrites = 0;
    bool watchdogRunning = false;
    bool tolderTimerRunning = false;
    bool trayShown = false;
    int trayChanges = 0;
    bool ended = false;

    uint64_t secondsSinceEvening() const { return (now.utc - kEveningStart) / kSecond; }

    uint32_t lastInputTick() override { return lastInput; }
    bool isVideoPlaying() override { return videoOpen; }
    void loadSettings(Settings& settings) override {
        if (settingsFilePresent) settings = fileSettings;
    }
    bool checkPassword(std::u16string_view password) override { return password == storedPassword; }
    uint32_t newChallenge() override { return nextChallenge++; }
    static size_t readFile(const std::vector<uint8_t>& file, uint8_t* bytes, size_t capacity) {
        const size_t size = std::min(file.size(), capacity);
        std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size), bytes);
        return size;
    }
    size_t readState(uint8_t* bytes, size_t capacity) override { return readFile(stateFile, bytes, capacity); }
    std::vector<uint8_t> ledger;  // the guard's record; none without a guard
    size_t readLedger(uint8_t* bytes, size_t capacity) override { return readFile(ledger, bytes, capacity); }
    uint64_t extraTimeUntil = 0;  // granted by the parents
    uint64_t readExtraTime() override { return extraTimeUntil; }
    std::vector<uint8_t> calendarLedger;  // the guard's copy
    size_t readCalendarLedger(uint8_t* bytes, size_t capacity) override {
        return readFile(calendarLedger, bytes, capacity);
    }
    void writeState(const StateImage& image) override {
        if (stateFile.size() < image.size()) stateFile.resize(image.size());
        std::copy(image.begin(), image.end(), stateFile.begin());
        ++stateWrites;
    }
    LocalMinute localMinute(uint64_t utc, const std::u16string&) override {
        return static_cast<LocalMinute>(utc / kMinute) + zoneMinutes;
    }
    std::u16string readLimits() override { return limits; }
    size_t readCalendar(uint8_t* bytes, size_t capacity) override { return readFile(calendarFile, bytes, capacity); }
    void writeCalendar(const CalendarImage& image) override { calendarFile.assign(image.begin(), image.end()); }
    void showTimeLeft(int32_t minutesLeft, int32_t offMinuteOfDay) override {
        tipLeft = minutesLeft;
        tipOff = offMinuteOfDay;
    }
    void warnTimeLeft(int32_t minutesLeft) override { warnings.push_back(minutesLeft); }
    bool startProgram(std::u16string_view, std::u16string_view parameters) override {
        if (!programsPresent) return false;
        ++scenesStarted;
        note(std::string(parameters.begin() + 6, parameters.end()));  // the scene's name after "/show:"
        return true;
    }
    void endLastProgram() override { ++programsEnded; }
    void restartSceneWatchdog() override { watchdogRunning = true; }
    void stopSceneWatchdog() override { watchdogRunning = false; }
    void startTolderTimer() override { tolderTimerRunning = true; }
    void stopTolderTimer() override { tolderTimerRunning = false; }
    void requestShutdown(bool force) override { note(force ? "F" : "S"); }
    void note(const std::string& what) { log += " " + what + "@" + std::to_string(secondsSinceEvening()); }
    void showTrayIcon(bool shown) override {
        trayShown = shown;
        ++trayChanges;
    }
    void endModule() override { ended = true; }

    // The record as the state file holds it now.
    StateRecord storedState() const {
        StateRecord record;
        decodeStateRecord(stateFile.data(), stateFile.size(), record);
        return record;
    }
};

// How the simulated scene processes behave.
struct SceneBehaviour {
    int secondsToStart = 1;        // until "Tikko Start"
    int lengthSeconds = 20;        // until the script runs out
    bool diesAfterStart = false;   // reports "Tikko Start" and is never heard of again
    bool hangsAfterStart = false;  // the same, but its process stays until it is ended
};

class SimulatedEvening {
public:
    explicit SimulatedEvening(Settings settings, std::u16string userName = u"kid") : userName_(userName) {
        host.fileSettings = std::move(settings);
    }

    SimulatedHost host;
    SceneBehaviour sceneBehaviour;           // of every scene not queued below
    std::vector<SceneBehaviour> nextScenes;  // of the next scenes started, in order
    bool userActive = true;                  // input every second while set

    ControlCore& core() { return *core_; }

    // Starts the control module, as a new process would (a second call is a restart).
    void startModule() {
        core_ = std::make_unique<ControlCore>(host, userName_);
        host.watchdogRunning = false;
        host.tolderTimerRunning = false;
        host.trayShown = false;
        scenes_.clear();
        core_->start(host.now);
        core_->refreshTrayIcon();
        nextMinuteTick_ = host.now.utc + kMinute;
    }

    // The computer is off (or asleep) for a while: no timers, no scenes.
    void switchOffFor(uint64_t minutes) {
        core_.reset();
        scenes_.clear();
        host.now.utc += minutes * kMinute;
        bootedAt(100'000);
    }

    // Stand-by: the clocks jump forward and the minute timer resumes where it stopped.
    void standByFor(uint64_t seconds) {
        host.now.utc += seconds * kSecond;
        host.now.tick += static_cast<uint32_t>(seconds * 1000);
        nextMinuteTick_ += seconds * kSecond;
    }

    void input() { host.lastInput = host.now.tick; }

    // The tick count reads `tick`; the last input was the logon a minute before.
    void bootedAt(uint32_t tick) {
        host.now.tick = tick;
        host.lastInput = tick - 60'000;
    }

    void seconds(uint64_t count) {
        for (uint64_t i = 0; i < count; ++i) second();
    }
    void minutes(uint64_t count) { seconds(60 * count); }
    // Runs until just after the next minute tick.
    void untilNextMinuteTick() {
        const uint64_t due = nextMinuteTick_;
        while (host.now.utc < due) second();
    }

    int32_t send(int code, uint32_t argument = 0, std::u16string_view password = {}) {
        return core_->command(code, argument, password, host.now);
    }

    // A script of stretches: seconds of use or of idleness, minutes switched
    // off (the module started again after them), the guard's count of minutes.
    enum Act { Use, Idle, Off, Guard };
    struct Stretch {
        Act act;
        uint64_t count;
    };
    void play(const std::vector<Stretch>& script) {
        for (const Stretch& stretch : script) {
            if (stretch.act == Off) switchOffFor(stretch.count), startModule();
            if (stretch.act == Guard) {
                StateRecord guard;
                guard.nesselMinutes = static_cast<int32_t>(stretch.count);
                const StateImage image = encodeStateRecord(guard);
                host.ledger.assign(image.begin(), image.end());
            }
            userActive = stretch.act != Idle;
            if (stretch.act == Use || stretch.act == Idle) seconds(stretch.count);
        }
        userActive = true;
    }

    size_t runningScenes() const {
        size_t running = 0;
        for (const Scene& scene : scenes_) running += scene.alive ? 1 : 0;
        return running;
    }
    size_t mostScenesAtOnce() const { return mostScenes_; }

private:
    struct Scene {
        SceneBehaviour behaviour;
        int age = 0;
        bool alive = true;
    };

    void second() {
        host.now.utc += kSecond;
        host.now.tick += 1000;
        if (userActive) input();
        for (; known_ < host.scenesStarted; ++known_) scenes_.push_back(Scene{nextBehaviour()});
        mostScenes_ = std::max(mostScenes_, runningScenes());
        for (Scene& scene : scenes_) playSceneSecond(scene);
        if (host.tolderTimerRunning) core_->tolderSecondTick(host.now);
        if (host.watchdogRunning) core_->watchdogTick(host.now);
        // The module ends the scene it started last; the next is not yet running.
        for (; endsSeen_ < host.programsEnded; ++endsSeen_)
            if (!scenes_.empty()) scenes_.back().alive = false;
        if (host.now.utc >= nextMinuteTick_) {
            core_->minuteTick(host.now);
            nextMinuteTick_ += kMinute;
        }
    }

    SceneBehaviour nextBehaviour() {
        if (nextScenes.empty()) return sceneBehaviour;
        const SceneBehaviour behaviour = nextScenes.front();
        nextScenes.erase(nextScenes.begin());
        return behaviour;
    }

    void playSceneSecond(Scene& scene) {
        if (!scene.alive) return;
        const SceneBehaviour& behaviour = scene.behaviour;
        ++scene.age;
        if (scene.age < behaviour.secondsToStart) return;
        if (scene.age == behaviour.secondsToStart) {
            send(kCommandTikkoStart);
            if (behaviour.diesAfterStart) scene.alive = false;
            return;
        }
        if (behaviour.hangsAfterStart) return;
        if (scene.age >= behaviour.secondsToStart + behaviour.lengthSeconds || send(kCommandTikkoWork) > 0) {
            send(kCommandTikkoComplete);
            scene.alive = false;
        }
    }

    std::u16string userName_;
    std::unique_ptr<ControlCore> core_;
    std::vector<Scene> scenes_;
    size_t known_ = 0;
    int endsSeen_ = 0;
    size_t mostScenes_ = 0;
    uint64_t nextMinuteTick_ = 0;
};

// An evening whose control module has started.
struct StartedEvening : SimulatedEvening {
    explicit StartedEvening(Settings settings, std::u16string userName = u"kid")
        : SimulatedEvening(std::move(settings), std::move(userName)) {
        startModule();
    }
};

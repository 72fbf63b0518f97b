#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "control/control_host.h"
#include "control/time_request.h"
#include "control/control_module_win.h"
#include "control/state_file_win.h"

// What the control logic asks of the system, carried out with the module's
// files, the guard's channel, the programs it starts and Windows' shut-down.
// The window adds what needs the window: its timers, its icon, its end.
class ModuleHost : public ControlHost {
public:
    ModuleHost(const ControlModuleOptions& options, bool guards) : options_(options), guards_(guards) {}
    ~ModuleHost() override;

    // The state file is held open from the window's start to its end.
    void openStateFile();
    void closeStateFile() { stateFile_.reset(); }

    uint32_t lastInputTick() override;
    bool isVideoPlaying() override;
    void loadSettings(Settings& settings) override;
    bool checkPassword(std::u16string_view password) override;
    uint32_t newChallenge() override;
    size_t readState(uint8_t* bytes, size_t capacity) override;
    void writeState(const StateImage& image) override;
    size_t readLedger(uint8_t* bytes, size_t capacity) override;
    size_t readCalendarLedger(uint8_t* bytes, size_t capacity) override;
    uint64_t readExtraTime() override;
    LocalMinute localMinute(uint64_t utc, const std::u16string& zone) override;
    std::u16string readLimits() override;
    size_t readCalendar(uint8_t* bytes, size_t capacity) override;
    void writeCalendar(const CalendarImage& image) override;
    bool startProgram(std::u16string_view file, std::u16string_view parameters) override;
    void endLastProgram() override;
    void requestShutdown(bool force) override;

    // This user's request for more time, as the guard keeps it.
    std::optional<TimeRequest> keptRequest() const;

protected:
    const ControlModuleOptions options_;
    const bool guards_;  // the guard started this module

private:
    void forgetLastProgram();

    std::unique_ptr<StateFile> stateFile_;
    HANDLE lastProgram_ = nullptr;
    std::u16string limits_;  // the limits read last
};

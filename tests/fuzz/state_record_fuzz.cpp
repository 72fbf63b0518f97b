// A state file of any content, with any stored settings, read by a starting
// control module that then counts a few minutes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/control_commands.h"
#include "control/control_core.h"

namespace {

class FuzzHost : public ControlHost {
public:
    const std::uint8_t* state = nullptr;
    std::size_t stateSize = 0;
    Settings settings;
    std::uint32_t lastInput = 0;

    std::uint32_t lastInputTick() override { return lastInput; }
    bool isVideoPlaying() override { return false; }
    void loadSettings(Settings& target) override { target = settings; }
    bool checkPassword(std::u16string_view) override { return true; }
    std::uint32_t newChallenge() override { return 128; }
    std::size_t readState(std::uint8_t* bytes, std::size_t capacity) override {
        const std::size_t size = stateSize < capacity ? stateSize : capacity;
        if (size != 0) std::memcpy(bytes, state, size);
        return size;
    }
    void writeState(const StateImage&) override {}
    bool startProgram(std::u16string_view, std::u16string_view) override { return true; }
    void restartSceneWatchdog() override {}
    void stopSceneWatchdog() override {}
    void startTolderTimer() override {}
    void stopTolderTimer() override {}
    void requestShutdown(bool) override {}
    void showTrayIcon(bool) override {}
    void endModule() override {}
};

std::int16_t take16(const std::uint8_t*& data, std::size_t& size) {
    if (size < 2) return 0;
    const auto value = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    data += 2;
    size -= 2;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StateRecord record;
    decodeStateRecord(data, size, record);
    StateRecord again;
    decodeStateRecord(encodeStateRecord(record).data(), kStateRecordSize, again);
    if (std::memcmp(encodeStateRecord(record).data(), encodeStateRecord(again).data(), kStateRecordSize) != 0) std::abort();

    FuzzHost host;
    host.state = data;
    host.stateSize = size < kStateRecordSize ? size : kStateRecordSize;
    const std::uint8_t* rest = data + host.stateSize;
    std::size_t restSize = size - host.stateSize;
    host.settings.exerciseInterval = take16(rest, restSize);
    host.settings.bedtimeMinutes = take16(rest, restSize);
    host.settings.sleepMinutes = take16(rest, restSize);
    host.settings.grumbleAfter = take16(rest, restSize);
    host.settings.grumbleRepeat = take16(rest, restSize);
    const std::uint16_t flags = static_cast<std::uint16_t>(take16(rest, restSize));
    host.settings.skipIdleTime = flags & 1;
    host.settings.nesselDisabled = (flags >> 1) & 1;
    host.settings.hopsaDisabled = (flags >> 2) & 1;
    host.settings.tolderDisabled = (flags >> 3) & 1;

    ControlCore core(host, u"kid");
    Moment now{134'094'888'000'000'000ULL + static_cast<std::uint64_t>(take16(rest, restSize)) * 600'000'000ULL,
               static_cast<std::uint32_t>(take16(rest, restSize)) << 16};
    host.lastInput = now.tick + static_cast<std::uint32_t>(take16(rest, restSize));
    core.start(now);
    for (int second = 1; second <= 600; ++second) {
        now.utc += 10'000'000;
        now.tick += 1000;
        core.tolderSecondTick(now);
        core.watchdogTick(now);
        if (second % 60 == 0) core.minuteTick(now);
        if (second % 7 == 0) core.command(kCommandTikkoWork, 0, {}, now);
    }
    return 0;
}

// A state file of any content, with any stored settings, calendar file and
// limits file, read by a starting control module that then counts a few minutes;
// the same limits file edited by the parents' dialog, and the rest read as a
// history for its chart.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "../native/simulated_evening.h"
#include "calendar/child_limits.h"
#include "calendar/limits_text.h"
#include "control/usage_history.h"

namespace {

int16_t take16(const uint8_t*& data, size_t& size) {
    if (size < 2) return 0;
    const auto value = static_cast<int16_t>(data[0] | (data[1] << 8));
    data += 2;
    size -= 2;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StateRecord record;
    decodeStateRecord(data, size, record);
    StateRecord again;
    decodeStateRecord(encodeStateRecord(record).data(), kStateRecordSize, again);
    if (std::memcmp(encodeStateRecord(record).data(), encodeStateRecord(again).data(), kStateRecordSize) != 0)
        std::abort();

    SimulatedHost host;
    const size_t stateSize = size < kStateRecordSize ? size : kStateRecordSize;
    host.stateFile.assign(data, data + stateSize);
    const uint8_t* rest = data + stateSize;
    size_t restSize = size - stateSize;
    Settings& settings = host.fileSettings;
    settings.exerciseInterval = take16(rest, restSize);
    settings.bedtimeMinutes = take16(rest, restSize);
    settings.sleepMinutes = take16(rest, restSize);
    settings.grumbleAfter = take16(rest, restSize);
    settings.grumbleRepeat = take16(rest, restSize);
    const uint16_t flags = static_cast<uint16_t>(take16(rest, restSize));
    settings.skipIdleTime = flags & 1;
    settings.nesselDisabled = (flags >> 1) & 1;
    settings.hopsaDisabled = (flags >> 2) & 1;
    settings.tolderDisabled = (flags >> 3) & 1;

    ControlCore core(host, u"kid");
    Moment now{kEveningStart + static_cast<uint64_t>(take16(rest, restSize)) * kMinute,
               static_cast<uint32_t>(take16(rest, restSize)) << 16};
    host.lastInput = now.tick + static_cast<uint32_t>(take16(rest, restSize));
    const size_t calendarSize = restSize < kCalendarRecordSize ? restSize : kCalendarRecordSize;
    host.calendarFile.assign(rest, rest + calendarSize);
    for (size_t i = calendarSize; i + 1 < restSize; i += 2)
        host.limits.push_back(static_cast<char16_t>(rest[i] | (rest[i + 1] << 8)));
    core.start(now);
    for (int second = 1; second <= 600; ++second) {
        now.utc += kSecond;
        now.tick += 1000;
        core.tolderSecondTick(now);
        core.watchdogTick(now);
        if (second % 60 == 0) core.minuteTick(now);
        if (second % 7 == 0) core.command(kCommandTikkoWork, 0, {}, now);
    }

    // Whatever the file held, the child's day is then set as the dialog set it.
    if (host.limits.find(u'\0') == std::u16string::npos) {
        KeyValueDocument edited;
        edited.parse(withLimit(host.limits, limitKeyOf(u"kid", weekdayKey(0)), u"-"));
        if (limitSetFor(edited, u"KID", weekdayKey(0)) != u"-") std::abort();
    }
    if (recentDays(std::string(rest, rest + restSize), dayOf(static_cast<LocalMinute>(now.utc / kMinute)), 14).size() !=
        14)
        std::abort();
    return 0;
}

#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "shell/guard_channel_protocol.h"

// What the guard's module in each session last said of its screen, which the
// guard, a service on a desktop of its own, cannot see: the channel's thread
// puts, the guard's loop reads. A report older than kFreshMs is none: the
// guard then counts every running process of a limited program, and frees no
// time for a program in front.
struct ScreenReport {
    std::vector<uint32_t> onScreen;  // processes with a visible, not minimised window
    uint32_t foreground = 0;
    uint64_t atMs = 0;  // on the awake clock
};

// The guard's loop also leaves notes here for a session's module, which the
// channel's thread hands it, the oldest first, one with each answer to its
// report. A note not taken within kFreshMs is dropped: a warning told late
// would be wrong.
class ScreenReports {
public:
    static constexpr uint64_t kFreshMs = 10'000;  // the module reports every two seconds
    static constexpr size_t kNotesKept = 16;      // a session's, past which the oldest goes
    void put(uint32_t session, ScreenReport report);
    std::optional<ScreenReport> fresh(uint32_t session, uint64_t nowMs) const;

    void leaveNote(uint32_t session, GuardNote note, uint32_t value, uint64_t nowMs);
    // The session's oldest note still fresh, taken; GuardNote::None for none.
    std::pair<GuardNote, uint32_t> takeNote(uint32_t session, uint64_t nowMs);

private:
    struct Note {
        GuardNote note;
        uint32_t value;
        uint64_t atMs;
    };
    mutable std::mutex lock_;
    std::map<uint32_t, ScreenReport> reports_;
    std::map<uint32_t, std::deque<Note>> notes_;
};

#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

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

class ScreenReports {
public:
    static constexpr uint64_t kFreshMs = 10'000;  // the module reports every two seconds
    void put(uint32_t session, ScreenReport report);
    std::optional<ScreenReport> fresh(uint32_t session, uint64_t nowMs) const;

private:
    mutable std::mutex lock_;
    std::map<uint32_t, ScreenReport> reports_;
};

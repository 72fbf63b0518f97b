#include "guard/screen_reports.h"

void ScreenReports::put(uint32_t session, ScreenReport report) {
    std::lock_guard<std::mutex> hold(lock_);
    reports_[session] = std::move(report);
}

std::optional<ScreenReport> ScreenReports::fresh(uint32_t session, uint64_t nowMs) const {
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = reports_.find(session);
    if (found == reports_.end() || nowMs < found->second.atMs || nowMs - found->second.atMs > kFreshMs)
        return std::nullopt;
    return found->second;
}

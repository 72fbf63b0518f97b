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

void ScreenReports::leaveNote(uint32_t session, GuardNote note, uint32_t value, uint64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    std::deque<Note>& notes = notes_[session];
    notes.push_back({note, value, nowMs});
    if (notes.size() > kNotesKept) notes.pop_front();
}

std::pair<GuardNote, uint32_t> ScreenReports::takeNote(uint32_t session, uint64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    std::deque<Note>& notes = notes_[session];
    while (!notes.empty()) {
        const Note note = notes.front();
        notes.pop_front();
        if (nowMs >= note.atMs && nowMs - note.atMs <= kFreshMs) return {note.note, note.value};
    }
    return {GuardNote::None, 0};
}

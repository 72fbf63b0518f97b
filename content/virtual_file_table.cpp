#include "content/virtual_file_table.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

uint64_t splitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

Marker newMarker(RandomSource source, uint64_t seed) {
    Marker marker;
    for (size_t i = 0; i < kMarkerSize; i += 8) {
        uint64_t word = splitMix(seed);
        std::memcpy(marker.data() + i, &word, 8);
    }
    (source ? source : randomBytes)(marker.data(), marker.size());
    return marker;
}

VirtualFile& VirtualFileTable::add(VirtualFile movie) {
    movie.openCount = 0;
    movie.matchCount = 0;
    movies_.push_back(std::move(movie));
    return movies_.back();
}

HandleState* VirtualFileTable::find(Handle handle) {
    auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : &found->second;
}

HandleState& VirtualFileTable::track(Handle handle) { return handles_[handle]; }

bool VirtualFileTable::bind(HandleState& state, const Marker& firstBytes) {
    state.probePending = false;
    VirtualFile* taken = nullptr;
    for (VirtualFile& movie : movies_) {
        if (movie.marker != firstBytes) continue;
        if (!taken && movie.matchCount < movie.maxMatches) taken = &movie;
        ++movie.matchCount;
    }
    if (!taken) return false;
    ++taken->openCount;
    state.movie = taken;
    state.position = 0;
    return true;
}

size_t VirtualFileTable::readBound(HandleState& state, void* out, size_t capacity) const {
    const VirtualFile& movie = *state.movie;
    if (state.position >= movie.size) return 0;
    size_t count = std::min<uint64_t>(capacity, movie.size - state.position);
    std::memcpy(out, movie.data.get() + state.position, count);
    state.position += count;
    return count;
}

std::optional<uint64_t> VirtualFileTable::seekBound(HandleState& state, int64_t distance, uint32_t method) const {
    int64_t base;
    switch (method) {
    case kSeekBegin: base = 0; break;
    case kSeekCurrent: base = static_cast<int64_t>(state.position); break;
    case kSeekEnd: base = static_cast<int64_t>(state.movie->size); break;
    default: return state.position = 0;
    }
    if (distance < -base) return std::nullopt;
    return state.position = static_cast<uint64_t>(base) + static_cast<uint64_t>(distance);
}

std::optional<VirtualFile> VirtualFileTable::forget(Handle handle) {
    auto found = handles_.find(handle);
    if (found == handles_.end()) return std::nullopt;
    VirtualFile* movie = found->second.movie;
    handles_.erase(found);
    if (!movie) return std::nullopt;
    if (movie->openCount > 0) --movie->openCount;
    if (movie->openCount > 0 || !movie->deleteOnLastClose) return std::nullopt;
    for (auto it = movies_.begin(); it != movies_.end(); ++it) {
        if (&*it != movie) continue;
        std::optional<VirtualFile> released(std::move(*it));
        movies_.erase(it);
        return released;
    }
    return std::nullopt;
}

std::list<VirtualFile> VirtualFileTable::releaseAll() {
    handles_.clear();
    return std::exchange(movies_, {});
}

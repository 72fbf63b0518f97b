#pragma once
// Movies served from memory to the file handles that open their placeholder
// files. The table is not locked itself: its one user holds a lock around
// every call.
#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "crypto/random.h"

constexpr size_t kMarkerSize = 32;
using Marker = std::array<uint8_t, kMarkerSize>;

// A marker from the source. The buffer is first filled from `seed`, so that a
// source that fails (and leaves the buffer as it is) still gives markers that
// differ from each other.
Marker newMarker(RandomSource source, uint64_t seed);

// One registered movie. Its placeholder file holds exactly the marker.
struct VirtualFile {
    std::u16string path;
    std::unique_ptr<uint8_t[]> data;  // null: bound handles read the placeholder itself
    size_t size = 0;
    unsigned openCount = 0;   // handles bound to it now
    unsigned matchCount = 0;  // first reads that showed its marker
    unsigned maxMatches = 0;  // bindings allowed in all
    Marker marker{};
    bool deleteOnLastClose = false;
};

// What is known of one file handle. Unbound handles are probed on their first
// read; a bound handle reads and seeks in its movie at a position of its own.
struct HandleState {
    VirtualFile* movie = nullptr;
    uint64_t position = 0;
    bool probePending = true;

    bool servedFromMemory() const { return movie && movie->data; }
};

// The system's seek methods, with their values.
enum SeekMethod : uint32_t { kSeekBegin = 0, kSeekCurrent = 1, kSeekEnd = 2 };

class VirtualFileTable {
public:
    using Handle = std::uintptr_t;

    // Appends the movie to the registry with its counts at 0.
    VirtualFile& add(VirtualFile movie);

    bool hasMovies() const { return !movies_.empty(); }
    bool empty() const { return movies_.empty() && handles_.empty(); }
    size_t movieCount() const { return movies_.size(); }

    HandleState* find(Handle handle);
    // The handle's state, created unbound with its probe pending.
    HandleState& track(Handle handle);

    // Settles the probe of a handle whose first bytes were `firstBytes`. Every
    // movie with that marker counts a match; the oldest one that had fewer
    // than maxMatches matches before is bound. True when bound.
    bool bind(HandleState& state, const Marker& firstBytes);

    // Copies up to `capacity` bytes of a bound movie from the handle's
    // position on and advances it; 0 at or after the end.
    size_t readBound(HandleState& state, void* out, size_t capacity) const;
    // Moves a bound handle; nothing for a position before the start. An
    // unknown method moves to the start.
    std::optional<uint64_t> seekBound(HandleState& state, int64_t distance, uint32_t method) const;

    // Drops a closed handle. When it was the last handle bound to a movie that
    // goes with its last handle, the movie leaves the registry and is returned
    // so that the caller deletes its placeholder.
    std::optional<VirtualFile> forget(Handle handle);

    // Empties the registry and the handle table; returns every movie.
    std::list<VirtualFile> releaseAll();

private:
    std::list<VirtualFile> movies_;  // in order of registration
    std::map<Handle, HandleState> handles_;
};

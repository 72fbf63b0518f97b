#pragma once

#include <cstddef>
#include <cstdint>

// When a sound output writes its next buffer, and when it gives its device
// up. Every buffer the output has stays queued with the device, so a slow
// frame never starves it; a device that takes buffers faster than it plays
// them (a null or file device) is held to the clock, at most the buffers'
// length ahead; a device that holds buffers and returns none for half a
// second is given up, so the movie goes on silently and in time. The clock
// is the caller's, in milliseconds.
class OutputPacing {
public:
    static constexpr size_t kBuffers = 16;
    static constexpr size_t kBufferFrames = 441;  // 10 ms at 44.1 kHz
    static constexpr uint64_t kStallMs = 500;
    static constexpr size_t leadFrames() { return kBuffers * kBufferFrames; }

    explicit OutputPacing(uint64_t now) : start_(now), lastReturn_(now) {}

    // Whether another buffer may go to the device now, `queued` being there.
    bool mayWrite(uint64_t now, size_t queued) const;
    void wrote() { written_ += kBufferFrames; }
    // A queued buffer came back played.
    void returned(uint64_t now) { lastReturn_ = now; }
    bool stalled(uint64_t now, size_t queued) const { return queued > 0 && now - lastReturn_ > kStallMs; }
    // How long the output may sleep, unless its device wakes it sooner.
    uint32_t sleepMs(uint64_t now, size_t queued) const;

private:
    // The output frames the clock allows written by then.
    uint64_t allowed(uint64_t now) const;

    uint64_t start_, lastReturn_;
    uint64_t written_ = 0;  // output frames
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decoded sound: 16-bit samples, interleaved when stereo.
struct SoundClip {
    uint32_t rate = 44100;
    unsigned channels = 1;
    std::vector<int16_t> samples;

    size_t frames() const { return channels ? samples.size() / channels : 0; }
};

// A decoded sound may hold no more frames than this (6 minutes at 44.1 kHz).
constexpr size_t kMaxSoundFrames = size_t(1) << 24;

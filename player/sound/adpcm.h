#pragma once

#include "player/sound/sound_clip.h"

#include <cstdint>
#include <vector>

// The movie format's ADPCM: a 2-bit code size (2..5 bits a sample), then
// packets of 4096 samples a channel, each opening with a 16-bit sample and a
// 6-bit step index per channel. Appends to clip (whose channels are set).
void decodeAdpcm(const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames = kMaxSoundFrames);

constexpr unsigned kAdpcmPacketSamples = 4096;

// One channel's decoder: the last sample and the step index.
struct AdpcmChannel {
    int sample = 0;
    int index = 0;
    // Decodes one code of the given width and returns the new sample.
    int16_t step(unsigned code, unsigned bits);
};

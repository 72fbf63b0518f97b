#pragma once

#include "player/sound_clip.h"

#include <cstdint>
#include <vector>

// The movie format's ADPCM: a 2-bit code size (2..5 bits a sample), then
// packets of 4096 samples a channel, each opening with a 16-bit sample and a
// 6-bit step index per channel. Appends to clip (whose channels are set).
void decodeAdpcm(const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames = kMaxSoundFrames);
// 4-bit codes; interleaved samples of the given channel count.
std::vector<uint8_t> encodeAdpcm(const std::vector<int16_t>& samples, unsigned channels);

#pragma once

#include "player/sound/sound_clip.h"

#include <cstdint>
#include <memory>

// MP3 (layer III) frames to samples with minimp3; keeps the bit reservoir
// between calls, so a stream's blocks decode as one.
class Mp3Decoder {
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Decodes every whole frame in the bytes and appends them to clip; the
    // first frame sets the clip's rate and channels, later frames that differ
    // are dropped.
    void decode(const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames = kMaxSoundFrames);
    void reset();

private:
    struct State;
    std::unique_ptr<State> state_;
};

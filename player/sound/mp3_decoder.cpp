#include "player/sound/mp3_decoder.h"

#include <climits>
#include <cstdint>

#define MINIMP3_ONLY_MP3
#define MINIMP3_IMPLEMENTATION
#include "third_party/minimp3/minimp3.h"

struct Mp3Decoder::State {
    mp3dec_t decoder;
    mp3d_sample_t pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
};

Mp3Decoder::Mp3Decoder() : state_(std::make_unique<State>()) { reset(); }
Mp3Decoder::~Mp3Decoder() = default;

void Mp3Decoder::reset() { mp3dec_init(&state_->decoder); }

void Mp3Decoder::decode(const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames) {
    bool first = clip.samples.empty();
    while (size > 0 && clip.frames() < maxFrames) {
        mp3dec_frame_info_t info{};
        int bytes = static_cast<int>(size < INT_MAX ? size : INT_MAX);
        int frames = mp3dec_decode_frame(&state_->decoder, data, bytes, state_->pcm, &info);
        if (info.frame_bytes <= 0) break;  // no frame in what is left
        data += info.frame_bytes;
        size -= static_cast<size_t>(info.frame_bytes);
        if (frames <= 0 || info.channels < 1 || info.channels > 2) continue;
        if (first) {
            clip.rate = static_cast<uint32_t>(info.hz);
            clip.channels = static_cast<unsigned>(info.channels);
            first = false;
        }
        if (clip.rate != static_cast<uint32_t>(info.hz) || clip.channels != static_cast<unsigned>(info.channels))
            continue;
        clip.samples.insert(clip.samples.end(), state_->pcm, state_->pcm + frames * info.channels);
    }
}

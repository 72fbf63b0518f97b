#pragma once

#include "player/sound/sound_clip.h"
#include "player/format/swf_sound.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// Mixes the sounds that play at once into one 44.1 kHz 16-bit stereo stream:
// event sounds with their loops, in and out points and envelopes, and the
// stream sound of each timeline, resampled from their own rates.
class SoundMixer {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr size_t kMaxVoices = 32;

    // Starts an instance of a sound; sync flags are the caller's.
    void start(uint16_t soundId, std::shared_ptr<const SoundClip> clip, const SoundStart& how);
    void stop(uint16_t soundId);
    bool playing(uint16_t soundId) const;
    // Queues a timeline's next stream sound; a chunk of another rate or channel
    // count than the queue holds is dropped. At most 10 s stay queued.
    void stream(uint32_t timeline, const SoundClip& chunk);
    // Output frames of the timeline's stream sound not yet mixed.
    size_t streamQueued(uint32_t timeline) const;
    void clear();
    bool idle() const;

    // Writes frames of interleaved left/right samples.
    void mix(int16_t* stereo, size_t frames);

private:
    struct Voice {
        uint16_t soundId;
        std::shared_ptr<const SoundClip> clip;
        uint64_t position, step, start, end;  // source frames, 32.32 fixed point
        unsigned loopsLeft;
        std::vector<EnvelopePoint> envelope;
        size_t segment = 0;
        uint32_t elapsed = 0;  // output frames since the start
    };
    struct Stream {
        uint32_t timeline;
        uint32_t rate;
        unsigned channels;
        std::deque<int16_t> samples;
        uint64_t position = 0;  // into the queue's first frame, 32.32 fixed point
    };
    bool mixVoice(Voice& v, int32_t* out, size_t frames);
    bool mixStream(Stream& s, int32_t* out, size_t frames);

    mutable std::mutex lock_;
    std::vector<Voice> voices_;
    std::vector<Stream> streams_;
    std::vector<int32_t> accumulator_;
};

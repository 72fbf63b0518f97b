#include "player/sound/output_pacing.h"

#include "player/sound/sound_mixer.h"

#include <algorithm>

uint64_t OutputPacing::allowed(uint64_t now) const { return (now - start_) * SoundMixer::kRate / 1000 + leadFrames(); }

bool OutputPacing::mayWrite(uint64_t now, size_t queued) const {
    return queued < kBuffers && written_ + kBufferFrames <= allowed(now);
}

uint32_t OutputPacing::sleepMs(uint64_t now, size_t queued) const {
    constexpr uint64_t kLongest = 20;
    if (queued == kBuffers) return kLongest;
    uint64_t due = written_ + kBufferFrames, have = allowed(now);
    if (due <= have) return 0;
    uint64_t ms = ((due - have) * 1000 + SoundMixer::kRate - 1) / SoundMixer::kRate;
    return static_cast<uint32_t>(std::clamp<uint64_t>(ms, 1, kLongest));
}

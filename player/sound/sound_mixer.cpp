#include "player/sound/sound_mixer.h"

#include <algorithm>

namespace {

constexpr size_t kMaxStreamSeconds = 10;

uint64_t stepFor(uint32_t rate) { return (static_cast<uint64_t>(rate) << 32) / SoundMixer::kRate; }

// The sample between two neighbours at a 32.32 fixed-point position.
int32_t between(int32_t a, int32_t b, uint64_t position) {
    int32_t fraction = static_cast<int32_t>((position >> 16) & 0xFFFF);
    return a + static_cast<int32_t>((static_cast<int64_t>(b - a) * fraction) >> 16);
}

}  // namespace

void SoundMixer::start(uint16_t soundId, std::shared_ptr<const SoundClip> clip, const SoundStart& how) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!clip || clip->frames() == 0 || clip->rate == 0 || voices_.size() >= kMaxVoices) return;
    uint64_t frames = clip->frames();
    auto at = [&](uint32_t point) {
        return std::min<uint64_t>(static_cast<uint64_t>(point) * clip->rate / kRate, frames);
    };
    uint64_t start = how.inPoint ? at(*how.inPoint) : 0;
    uint64_t end = how.outPoint ? at(*how.outPoint) : frames;
    if (end <= start) return;
    uint64_t step = stepFor(clip->rate);
    voices_.push_back(Voice{soundId, std::move(clip), start << 32, step, start << 32, end << 32,
                            std::max<unsigned>(how.loops, 1), how.envelope});
}

bool SoundMixer::idle() const {
    std::lock_guard<std::mutex> hold(lock_);
    return voices_.empty() && streams_.empty();
}

void SoundMixer::stop(uint16_t soundId) {
    std::lock_guard<std::mutex> hold(lock_);
    voices_.erase(std::remove_if(voices_.begin(), voices_.end(), [&](const Voice& v) { return v.soundId == soundId; }),
                  voices_.end());
}

bool SoundMixer::playing(uint16_t soundId) const {
    std::lock_guard<std::mutex> hold(lock_);
    return std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) { return v.soundId == soundId; });
}

void SoundMixer::stream(uint32_t timeline, const SoundClip& chunk) {
    std::lock_guard<std::mutex> hold(lock_);
    if (chunk.frames() == 0 || chunk.rate == 0) return;
    auto it = std::find_if(streams_.begin(), streams_.end(), [&](const Stream& s) { return s.timeline == timeline; });
    if (it == streams_.end()) it = streams_.insert(streams_.end(), Stream{timeline, chunk.rate, chunk.channels, {}});
    if (it->samples.empty()) {
        it->rate = chunk.rate;
        it->channels = chunk.channels;
        it->position = 0;
    }
    if (it->rate != chunk.rate || it->channels != chunk.channels) return;
    it->samples.insert(it->samples.end(), chunk.samples.begin(), chunk.samples.end());
    size_t limit = kMaxStreamSeconds * it->rate * it->channels;
    if (it->samples.size() > limit)
        it->samples.erase(it->samples.begin(), it->samples.end() - static_cast<std::ptrdiff_t>(limit));
}

size_t SoundMixer::streamQueued(uint32_t timeline) const {
    std::lock_guard<std::mutex> hold(lock_);
    for (const Stream& s : streams_)
        if (s.timeline == timeline) {
            uint64_t queued = static_cast<uint64_t>(s.samples.size() / s.channels) << 32;
            return static_cast<size_t>((queued - std::min(s.position, queued)) / stepFor(s.rate));
        }
    return 0;
}

void SoundMixer::clear() {
    std::lock_guard<std::mutex> hold(lock_);
    voices_.clear();
    streams_.clear();
}

void SoundMixer::mix(int16_t* stereo, size_t frames) {
    std::lock_guard<std::mutex> hold(lock_);
    accumulator_.assign(frames * 2, 0);
    voices_.erase(std::remove_if(voices_.begin(), voices_.end(),
                                 [&](Voice& v) { return !mixVoice(v, accumulator_.data(), frames); }),
                  voices_.end());
    streams_.erase(std::remove_if(streams_.begin(), streams_.end(),
                                  [&](Stream& s) { return !mixStream(s, accumulator_.data(), frames); }),
                   streams_.end());
    for (size_t i = 0; i < frames * 2; ++i)
        stereo[i] = static_cast<int16_t>(std::clamp(accumulator_[i], -32768, 32767));
}

// False once the voice has played all its loops.
bool SoundMixer::mixVoice(Voice& v, int32_t* out, size_t frames) {
    const SoundClip& clip = *v.clip;
    const unsigned channels = clip.channels;
    const uint64_t last = (clip.frames() - 1);
    for (size_t i = 0; i < frames; ++i) {
        if (v.position >= v.end) {
            if (--v.loopsLeft == 0) return false;
            v.position = v.start;
        }
        uint64_t index = v.position >> 32, next = std::min(index + 1, last);
        int32_t left = between(clip.samples[index * channels], clip.samples[next * channels], v.position);
        int32_t right =
            channels == 2 ? between(clip.samples[index * 2 + 1], clip.samples[next * 2 + 1], v.position) : left;
        if (!v.envelope.empty()) {
            const auto& env = v.envelope;
            while (v.segment + 1 < env.size() && env[v.segment + 1].position <= v.elapsed) ++v.segment;
            const EnvelopePoint& a = env[v.segment];
            int64_t gainLeft = a.left, gainRight = a.right;
            if (v.elapsed > a.position && v.segment + 1 < env.size()) {
                const EnvelopePoint& b = env[v.segment + 1];
                int64_t span = b.position - a.position, done = v.elapsed - a.position;
                gainLeft += (static_cast<int64_t>(b.left) - a.left) * done / span;
                gainRight += (static_cast<int64_t>(b.right) - a.right) * done / span;
            }
            left = static_cast<int32_t>(left * gainLeft / 32768);
            right = static_cast<int32_t>(right * gainRight / 32768);
        }
        out[2 * i] += left;
        out[2 * i + 1] += right;
        v.position += v.step;
        ++v.elapsed;
    }
    return true;
}

// False once the stream has nothing left.
bool SoundMixer::mixStream(Stream& s, int32_t* out, size_t frames) {
    const uint64_t step = stepFor(s.rate);
    const unsigned channels = s.channels;
    for (size_t i = 0; i < frames; ++i) {
        size_t available = s.samples.size() / channels;
        uint64_t index = s.position >> 32;
        if (index >= available) break;
        size_t next = std::min<size_t>(index + 1, available - 1);
        int32_t left = between(s.samples[index * channels], s.samples[next * channels], s.position);
        int32_t right = channels == 2 ? between(s.samples[index * 2 + 1], s.samples[next * 2 + 1], s.position) : left;
        out[2 * i] += left;
        out[2 * i + 1] += right;
        s.position += step;
    }
    size_t consumed = std::min<size_t>(s.position >> 32, s.samples.size() / channels);
    s.samples.erase(s.samples.begin(), s.samples.begin() + static_cast<std::ptrdiff_t>(consumed * channels));
    s.position -= static_cast<uint64_t>(consumed) << 32;
    return !s.samples.empty();
}

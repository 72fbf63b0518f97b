#include "tools/moviec/sounds.h"

#include "tools/writers/adpcm_encoder.h"
#include "tools/writers/sound_writer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::vector<double> silence(double seconds) { return std::vector<double>(static_cast<size_t>(seconds * kSoundRate)); }

// A soft bell: a few partials that die away, after a 6 ms rise.
void addBell(std::vector<double>& out, double at, double frequency, double level, double decay) {
    const double partials[][2] = {{1, 1}, {2, 0.28}, {3, 0.08}, {4.2, 0.04}};
    size_t from = static_cast<size_t>(at * kSoundRate);
    for (size_t i = from; i < out.size(); ++i) {
        double t = static_cast<double>(i - from) / kSoundRate;
        double envelope = std::min(1.0, t / 0.006) * std::exp(-t / decay);
        double v = 0;
        for (const auto& p : partials) v += p[1] * std::sin(kTwoPi * frequency * p[0] * t) * std::exp(-t * p[0] / 2.5);
        out[i] += level * envelope * v;
    }
}

// A voice: harmonics of a gliding pitch shaped by two formants.
template <typename Pitch, typename Loudness>
void addVoice(std::vector<double>& out, Pitch pitch, Loudness loudness, double formant1, double formant2) {
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / kSoundRate;
        double f0 = pitch(t);
        phase += kTwoPi * f0 / kSoundRate;
        double v = 0;
        for (int n = 1; n * f0 < 4500; ++n) {
            double f = n * f0;
            double shape = std::exp(-std::pow((f - formant1) / 220, 2)) +
                           0.5 * std::exp(-std::pow((f - formant2) / 300, 2)) + 0.08;
            v += shape / n * std::sin(n * phase);
        }
        out[i] += loudness(t) * v;
    }
}

// Scaled to the peak, with 10 ms fades at both ends.
std::vector<int16_t> finish(std::vector<double> s, double peak) {
    double top = 1e-9;
    for (double v : s) top = std::max(top, std::fabs(v));
    std::vector<int16_t> out(s.size());
    size_t fade = kSoundRate / 100;
    for (size_t i = 0; i < s.size(); ++i) {
        double edge = std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(s.size() - 1 - i) / fade});
        out[i] = static_cast<int16_t>(std::lround(s[i] / top * peak * 32767 * edge));
    }
    return out;
}

double rise(double t, double seconds) { return std::min(1.0, t / seconds); }

}  // namespace

std::vector<int16_t> attentionChime() {
    auto s = silence(1.0);
    addBell(s, 0.0, 659.3, 1.0, 0.22);
    addBell(s, 0.16, 880.0, 0.9, 0.3);
    return finish(s, 0.14);
}

std::vector<int16_t> countKnock() {
    auto s = silence(0.12);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / kSoundRate;
        double envelope = std::min(1.0, t / 0.002) * std::exp(-t / 0.018);
        s[i] = envelope * (std::sin(kTwoPi * 1150 * t) + 0.45 * std::sin(kTwoPi * 1870 * t));
    }
    return finish(s, 0.09);
}

std::vector<int16_t> praiseChime() {
    auto s = silence(1.1);
    addBell(s, 0.0, 523.3, 0.9, 0.2);
    addBell(s, 0.13, 659.3, 0.9, 0.2);
    addBell(s, 0.26, 784.0, 1.0, 0.32);
    return finish(s, 0.13);
}

std::vector<int16_t> yawn() {
    auto s = silence(1.7);
    addVoice(
        s,
        [](double t) {
            double up = t < 0.5 ? t / 0.5 : std::max(0.0, 1 - (t - 0.5) / 1.1);
            return 170 + 110 * std::sin(up * kTwoPi / 4) + 4 * std::sin(kTwoPi * 5 * t);
        },
        [](double t) { return rise(t, 0.35) * std::min(1.0, (1.7 - t) / 0.7); }, 750, 1150);
    return finish(s, 0.12);
}

std::vector<int16_t> grumble() {
    auto s = silence(1.05);
    addVoice(
        s, [](double t) { return (t < 0.5 ? 128 - 14 * t : 118 - 30 * (t - 0.5)) + 3 * std::sin(kTwoPi * 7 * t); },
        [](double t) {
            double syllable = t < 0.45   ? rise(t, 0.06) * std::min(1.0, (0.45 - t) / 0.08)
                              : t > 0.55 ? rise(t - 0.55, 0.06) * std::min(1.0, (1.05 - t) / 0.2)
                                         : 0;
            return syllable * (0.75 + 0.25 * std::sin(kTwoPi * 11 * t));
        },
        300, 2100);
    return finish(s, 0.12);
}

EncodedSound adpcmSound(const std::vector<int16_t>& samples) {
    EncodedSound sound;
    sound.format = {SoundCodec::Adpcm, kSoundRate, true, false};
    sound.sampleCount = static_cast<uint32_t>(samples.size());
    sound.data = encodeAdpcm(samples, 1);
    return sound;
}

uint16_t Soundtrack::write(SwfWriter& writer, float frameRate) const {
    if (events_.empty()) return 0;
    double last = 0;
    for (const auto& e : events_) last = std::max(last, e.first);
    int frames = static_cast<int>(std::lround(last * frameRate)) + 1;
    TimelineWriter sprite;
    for (int f = 0; f < frames; ++f) {
        for (const auto& [time, id] : events_) {
            if (static_cast<int>(std::lround(time * frameRate)) != f) continue;
            SoundStart start;
            start.soundId = id;
            startSound(sprite, start);
        }
        if (f == frames - 1) sprite.actions({0x07});  // stop
        sprite.showFrame();
    }
    return writer.defineSprite(sprite);
}

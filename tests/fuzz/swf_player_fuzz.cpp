// Decodes a movie and plays it as a scene does, at a scene's size: timelines
// and scripts past frame 0 with their sound, the first two frames and the
// last drawn, so one input stays well inside the time limit that makes a slow
// movie a finding.
#include "player/player.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {
constexpr int kTicks = 24;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kSamplesPerTick = 1838;  // 44.1 kHz at 24 frames a second

bool drawnAt(int tick) { return tick < 2 || tick == kTicks - 1; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto movie = decodeMovie(data, size);
    if (!movie) return 0;
    auto shared = std::make_shared<const Movie>(std::move(*movie));
    SoundMixer mixer;
    MovieSound sound(shared, mixer);
    MoviePlayer player(shared, &sound);
    static std::vector<int16_t> samples(2 * kSamplesPerTick);
    static std::vector<uint32_t> pixels(kWidth * kHeight);
    Surface surface{pixels.data(), kWidth, kHeight, kWidth};
    FrameRenderer renderer;
    for (int tick = 0; tick < kTicks; ++tick) {
        if (drawnAt(tick)) drawCurrentFrame(renderer, player, surface);
        mixer.mix(samples.data(), kSamplesPerTick);
        player.nextFrame();
    }
    return 0;
}

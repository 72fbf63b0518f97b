// Decodes a movie, plays a few frames with their sound and draws each into a
// small surface.
#include "player/player.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto movie = decodeMovie(data, size);
    if (!movie) return 0;
    auto shared = std::make_shared<const Movie>(std::move(*movie));
    SoundMixer mixer;
    MovieSound sound(shared, mixer);
    MoviePlayer player(shared, &sound);
    std::vector<int16_t> samples(2 * 512);
    std::vector<uint32_t> pixels(48 * 32);
    Surface surface{pixels.data(), 48, 32, 48};
    FrameRenderer renderer;
    for (int frame = 0; frame < 4; ++frame) {
        drawCurrentFrame(renderer, player, surface);
        mixer.mix(samples.data(), 512);
        player.nextFrame();
    }
    return 0;
}

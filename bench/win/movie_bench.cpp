// movie_bench.exe: the player's figures in the Windows build, at 1920 x 1080:
// the time from the movie's bytes to its first frame (decoding, the first
// tick and drawing), then frames per second (tick and draw) over 3 seconds.
// Prints figures, asserts nothing: wine build/win/bin/movie_bench.exe
#include <windows.h>

#include "player/player.h"
#include "tests/tools/demo_character.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

double seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    constexpr int kWidth = 1920, kHeight = 1080;
    std::vector<uint8_t> bytes = demoCharacterMovie(true);
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    Surface surface{pixels.data(), kWidth, kHeight, kWidth};
    FrameRenderer renderer;

    double start = seconds();
    auto movie = decodeMovie(bytes.data(), bytes.size());
    if (!movie) return 1;
    MoviePlayer player(std::make_shared<const Movie>(std::move(*movie)));
    drawCurrentFrame(renderer, player, surface);
    double firstFrame = seconds() - start;

    int frames = 0;
    start = seconds();
    double elapsed = 0;
    while (elapsed < 3.0) {
        player.nextFrame();
        drawCurrentFrame(renderer, player, surface);
        ++frames;
        elapsed = seconds() - start;
    }
    std::printf("movie_bench (%d-bit, %dx%d): first frame %.1f ms, %.1f frames per second\n",
                static_cast<int>(sizeof(void*) * 8), kWidth, kHeight, firstFrame * 1000, frames / elapsed);
    return 0;
}

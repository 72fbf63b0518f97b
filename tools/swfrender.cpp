// swfrender MOVIE.swf OUT.png [WIDTH HEIGHT [FRAME]]: draws one frame of a
// movie, scaled to show the whole frame, into a PNG.
#include "player/player.h"
#include "tools/writers/png_encoder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: swfrender MOVIE.swf OUT.png [WIDTH HEIGHT [FRAME]]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "swfrender: cannot read %s\n", argv[1]);
        return 1;
    }
    auto movie = decodeMovie(bytes.data(), bytes.size());
    if (!movie) {
        std::fprintf(stderr, "swfrender: %s is not a readable movie\n", argv[1]);
        return 1;
    }
    int width = argc > 4 ? std::atoi(argv[3]) : movie->frameRect.width() / 20;
    int height = argc > 4 ? std::atoi(argv[4]) : movie->frameRect.height() / 20;
    int frame = argc > 5 ? std::atoi(argv[5]) : 0;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || frame < 0) {
        std::fprintf(stderr, "swfrender: bad size or frame\n");
        return 2;
    }
    MoviePlayer player(std::make_shared<const Movie>(std::move(*movie)));
    player.replayTo(frame);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    Surface surface{pixels.data(), width, height, width};
    FrameRenderer renderer;
    drawCurrentFrame(renderer, player, surface);
    std::vector<uint8_t> png = encodePng(pixels.data(), width, height, width);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out) {
        std::fprintf(stderr, "swfrender: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("frame %d of %d, %dx%d, %.2f fps\n", player.currentFrame(), player.frameCount(), width, height,
                player.movie().frameRate);
    return 0;
}

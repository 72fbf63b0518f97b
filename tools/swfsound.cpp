// swfsound MOVIE.swf OUT.raw [SECONDS]: plays a movie's frames for the time
// (default: one run of its frames) and writes the sound it makes as raw
// 44.1 kHz 16-bit stereo; prints the processor time that decoding and mixing
// took for each second of sound: the frames played with their sound, less
// the same frames played without.
#include "player/player.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: swfsound MOVIE.swf OUT.raw [SECONDS]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto decoded = decodeMovie(bytes.data(), bytes.size());
    if (!decoded) {
        std::fprintf(stderr, "swfsound: cannot read %s\n", argv[1]);
        return 1;
    }
    auto movie = std::make_shared<const Movie>(std::move(*decoded));
    float rate = movie->frameRate > 0 ? movie->frameRate : 12;
    double seconds = argc > 3 ? std::atof(argv[3]) : movie->timeline.frames.size() / rate;
    size_t ticks = static_cast<size_t>(seconds * rate);

    std::vector<int16_t> out;
    auto play = [&](bool withSound) {
        std::clock_t started = std::clock();
        SoundMixer mixer;
        MovieSound sound(movie, mixer);
        MoviePlayer player(movie, withSound ? &sound : nullptr);
        std::vector<int16_t> tick;
        double mixed = 0;
        for (size_t t = 0; t < ticks; ++t) {
            if (t > 0) player.nextFrame();
            size_t frames = static_cast<size_t>((t + 1) * SoundMixer::kRate / rate - mixed);
            mixed += frames;
            if (!withSound) continue;
            tick.resize(frames * 2);
            mixer.mix(tick.data(), frames);
            out.insert(out.end(), tick.begin(), tick.end());
        }
        return double(std::clock() - started) / CLOCKS_PER_SEC;
    };
    double silent = play(false), sounding = play(true);
    std::ofstream(argv[2], std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size() * 2));
    double length = out.size() / 2.0 / SoundMixer::kRate;
    std::printf("%.2f s of sound: %.3f ms of processor time a second for decoding and mixing\n", length,
                1000 * (sounding - silent) / length);
    return 0;
}

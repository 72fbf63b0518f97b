// moviec FONT.ttf OUTDIR: writes the suite's scene movies into OUTDIR, their
// captions drawn from the font's outlines.
#include "tools/moviec/movies.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: moviec FONT.ttf OUTDIR\n");
        return 2;
    }
    auto font = VectorFont::open(argv[1]);
    if (!font) {
        std::fprintf(stderr, "moviec: cannot load font %s\n", argv[1]);
        return 1;
    }
    for (const MovieSource& movie : contentMovies()) {
        std::vector<uint8_t> bytes = movie.build(*font);
        std::string path = std::string(argv[2]) + "/" + movie.fileName;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "moviec: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

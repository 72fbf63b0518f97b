#pragma once
// Pieces the programs that make test movies and the movie tests share: a
// white stage, a rectangle of one colour, a whole file written.
#include "tools/writers/swf_writer.h"

#include <fstream>
#include <string>

// A stage of that many pixels (100 x 100 unless told), white, 12 fps.
inline SwfWriter stageWriter(int widthPx = 100, int heightPx = 100) {
    SwfWriter w(8, TwipsRect{0, widthPx * 20, 0, heightPx * 20}, 12.0f);
    w.setBackground({255, 255, 255, 255});
    return w;
}

// A shape of one rectangle filled with the colour, in twips.
inline ShapeBuilder filledRectangle(Rgba color, int x, int y, int width, int height) {
    ShapeBuilder s;
    s.setStyles(0, s.addSolidFill(color), 0);
    s.rectangle(x, y, width, height);
    return s;
}

// Writes the bytes (a string or a byte vector) as the whole file; false when it cannot.
template <typename Bytes>
bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

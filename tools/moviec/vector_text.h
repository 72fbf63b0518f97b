#pragma once

#include "tools/writers/swf_writer.h"

#include <memory>
#include <string>

// Text turned into filled outlines with FreeType, so that movies carry their
// captions as shapes and need no font when they play.
class VectorFont {
public:
    // Null when the font file cannot be loaded.
    static std::unique_ptr<VectorFont> open(const std::string& path);
    ~VectorFont();

    struct Extent {
        double width = 0, height = 0;
    };
    // UTF-8 text, lines separated by '\n', each centred on x = 0; the block
    // is centred vertically on y = 0. Pixels.
    Extent measure(const std::string& text, double size) const;
    void draw(ShapeBuilder& shape, uint32_t fill, const std::string& text, double size) const;

private:
    struct Face;
    explicit VectorFont(std::unique_ptr<Face> face);
    double lineWidth(const std::u32string& line, double size) const;
    std::unique_ptr<Face> face_;
};

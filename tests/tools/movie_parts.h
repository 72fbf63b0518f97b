#pragma once
// Pieces the programs that make test movies and the movie tests share: a
// white stage, a rectangle of one colour, an ellipse, zlib data, a lossless bitmap, the
// place, remove and label tags only test movies hold, action records, a whole
// file written.
#include "tools/writers/bit_writer.h"
#include "tools/writers/swf_writer.h"

#include <zlib.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// An ellipse from eight quadratic arcs, their control points on the
// circumscribed octagon.
inline void ellipse(ShapeBuilder& s, double cx, double cy, double rx, double ry) {
    const double pi = 3.14159265358979323846, k = 1.0 / std::cos(pi / 8);
    s.moveTo(std::lround(cx + rx), std::lround(cy));
    for (int i = 1; i <= 8; ++i) {
        double a = i * pi / 4, am = a - pi / 8;
        s.curveTo(std::lround(cx + rx * k * std::cos(am)), std::lround(cy + ry * k * std::sin(am)),
                  std::lround(cx + rx * std::cos(a)), std::lround(cy + ry * std::sin(a)));
    }
}

inline std::vector<uint8_t> zlibPacked(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

// A bitmap of straight (not premultiplied) 0xAARRGGBB pixels; alpha needs
// DefineBitsLossless2.
inline uint16_t defineBitmap(SwfWriter& w, int width, int height, const std::vector<uint32_t>& argb, bool withAlpha) {
    std::vector<uint8_t> raw;
    for (uint32_t p : argb) {
        uint32_t a = withAlpha ? p >> 24 : 255;
        auto mul = [a](uint32_t v) { return static_cast<uint8_t>((v * a + 127) / 255); };
        raw.insert(raw.end(), {static_cast<uint8_t>(a), mul((p >> 16) & 255), mul((p >> 8) & 255), mul(p & 255)});
    }
    BitWriter b;
    b.u8(5);  // 32-bit pixels
    b.u16(static_cast<uint32_t>(width));
    b.u16(static_cast<uint32_t>(height));
    b.bytes(zlibPacked(raw));
    return w.define(withAlpha ? SwfTag::DefineBitsLossless2 : SwfTag::DefineBitsLossless, b.data());
}

// A bitmap fill of the character, for ShapeBuilder::addFill.
inline FillStyle bitmapFill(uint16_t bitmapId, const Matrix& matrix, bool repeat = true, bool smooth = true) {
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapId = bitmapId;
    f.matrix = matrix;
    f.repeat = repeat;
    f.smooth = smooth;
    return f;
}

// The original PlaceObject tag (colour transform without alpha).
inline void placeV1(TimelineWriter& t, uint16_t depth, uint16_t characterId, const Matrix& matrix,
                    const std::optional<ColorTransform>& colorTransform = std::nullopt) {
    BitWriter w;
    w.u16(characterId);
    w.u16(depth);
    writeMatrix(w, matrix);
    if (colorTransform) writeColorTransform(w, *colorTransform, false);
    t.rawTag(SwfTag::PlaceObject, w.data());
}

// PlaceObject2, or PlaceObject3 where a blend mode or visibility is given.
inline void placeObject(TimelineWriter& t, const PlaceCommand& p) {
    BitWriter w;
    bool third = p.blendMode || p.visible;
    w.u8((p.move ? 0x01 : 0) | (p.characterId ? 0x02 : 0) | (p.matrix ? 0x04 : 0) | (p.colorTransform ? 0x08 : 0) |
         (p.ratio ? 0x10 : 0) | (p.name ? 0x20 : 0) | (p.clipDepth ? 0x40 : 0));
    if (third) w.u8((p.blendMode ? 0x02 : 0) | (p.visible ? 0x20 : 0));
    w.u16(p.depth);
    if (p.characterId) w.u16(*p.characterId);
    if (p.matrix) writeMatrix(w, *p.matrix);
    if (p.colorTransform) writeColorTransform(w, *p.colorTransform, true);
    if (p.ratio) w.u16(*p.ratio);
    if (p.name) w.cString(*p.name);
    if (p.clipDepth) w.u16(*p.clipDepth);
    if (p.blendMode) w.u8(static_cast<uint8_t>(*p.blendMode));
    if (p.visible) w.u8(*p.visible ? 1 : 0);
    t.rawTag(third ? SwfTag::PlaceObject3 : SwfTag::PlaceObject2, w.data());
}

// A mask for the depths above it up to clipDepth.
inline void placeMask(TimelineWriter& t, uint16_t depth, uint16_t characterId, uint16_t clipDepth,
                      const std::optional<Matrix>& matrix = std::nullopt) {
    placeObject(t, PlaceCommand{depth, false, characterId, matrix, {}, clipDepth, {}, {}, {}, {}});
}

inline void removeV1(TimelineWriter& t, uint16_t characterId, uint16_t depth) {
    t.rawTag(SwfTag::RemoveObject,
             {uint8_t(characterId), uint8_t(characterId >> 8), uint8_t(depth), uint8_t(depth >> 8)});
}

// A zero-terminated string.
inline std::vector<uint8_t> text(const std::string& s) {
    std::vector<uint8_t> out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

inline void frameLabel(TimelineWriter& t, const std::string& name) { t.rawTag(SwfTag::FrameLabel, text(name)); }

// A font of one glyph for "A" in DefineFont2 or DefineFont3: its outline,
// the font's one-letter name, ascent, descent and the glyph's advance.
inline uint16_t defineOneGlyphFont(SwfWriter& w, unsigned code, const std::vector<uint8_t>& glyph, char name,
                                   int ascent, int descent, int advance) {
    BitWriter b;
    b.bytes({0x80 | 0x04, 0, 1, static_cast<uint8_t>(name)});  // layout, wide codes; no language
    b.u16(1);
    b.u16(4);  // glyph offset, then the code table's
    b.u16(static_cast<uint32_t>(4 + glyph.size()));
    b.bytes(glyph);
    b.u16('A');
    for (int v : {ascent, descent, 0, advance}) b.u16(static_cast<uint32_t>(v));
    b.u8(0);   // glyph bounds: an empty rectangle
    b.u16(0);  // no kerning
    return w.define(code, b.data());
}

// A button of two records, the first shape shown up, the second over and
// down; DefineButton2 adds colour transforms, DefineButton ends its no actions.
inline uint16_t defineButton(SwfWriter& w, unsigned code, uint16_t up, uint16_t over) {
    const bool second = code == SwfTag::DefineButton2;
    BitWriter b;
    if (second) b.bytes({0, 0, 0});  // no flags, no actions' offset
    for (auto [states, shape] : {std::pair<unsigned, uint16_t>{0x01, up}, {0x02 | 0x04 | 0x08, over}}) {
        b.u8(states);
        b.u16(shape);
        b.u16(1);
        writeMatrix(b, Matrix{});
        if (second) writeColorTransform(b, ColorTransform{}, true);
    }
    b.u8(0);
    if (!second) b.u8(0);
    return w.define(code, b.data());
}

// An action record: the code, then from code 0x80 on the payload's length and the payload.
inline std::vector<uint8_t> act(uint8_t code, const std::vector<uint8_t>& payload = {}) {
    std::vector<uint8_t> out{code};
    if (code < 0x80) return out;
    out.insert(out.end(), {static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8)});
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

// Writes the bytes (a string or a byte vector) as the whole file; false when it cannot.
template <typename Bytes>
bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

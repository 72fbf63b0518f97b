#include "tools/writers/swf_writer.h"

#include "player/movie.h"
#include "tools/writers/bit_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace {

int32_t fixed16(float v) { return static_cast<int32_t>(std::lround(v * 65536.0f)); }

void writeRect(BitWriter& w, const TwipsRect& r) {
    unsigned n = BitWriter::signedBitsFor({r.xMin, r.xMax, r.yMin, r.yMax});
    w.bits(n, 5);
    w.signedBits(r.xMin, n);
    w.signedBits(r.xMax, n);
    w.signedBits(r.yMin, n);
    w.signedBits(r.yMax, n);
    w.align();
}

void writeColor(BitWriter& w, Rgba c, bool withAlpha) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    if (withAlpha) w.u8(c.a);
}

void writeStyleCount(BitWriter& w, size_t n, int version) {
    if (n >= 0xFF && version >= 2) {
        w.u8(0xFF);
        w.u16(static_cast<uint32_t>(n));
    } else {
        w.u8(static_cast<uint32_t>(n));
    }
}

void writeFill(BitWriter& w, const FillStyle& f, int version) {
    bool alpha = version >= 3;
    switch (f.kind) {
    case FillStyle::Kind::Solid:
        w.u8(0x00);
        writeColor(w, f.color, alpha);
        break;
    case FillStyle::Kind::Linear:
    case FillStyle::Kind::Radial: {
        bool focal = f.kind == FillStyle::Kind::Radial && f.focal != 0;
        w.u8(f.kind == FillStyle::Kind::Linear ? 0x10 : focal ? 0x13 : 0x12);
        writeMatrix(w, f.matrix);
        unsigned spread = f.spread == FillStyle::Spread::Reflect ? 1 : f.spread == FillStyle::Spread::Repeat ? 2 : 0;
        size_t count = std::min<size_t>(f.stops.size(), 15);
        w.u8((spread << 6) | (f.linearRgb ? 0x10 : 0) | static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i) {
            w.u8(f.stops[i].ratio);
            writeColor(w, f.stops[i].color, alpha);
        }
        if (focal) w.u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(f.focal * 256))));
        break;
    }
    case FillStyle::Kind::Bitmap:
        w.u8((f.repeat ? 0x40 : 0x41) + (f.smooth ? 0 : 2));
        w.u16(f.bitmapId);
        writeMatrix(w, f.matrix);
        break;
    }
}

void writeLine(BitWriter& w, const LineStyle& l, int version) {
    w.u16(l.width);
    if (version >= 4) {
        auto cap = [](LineStyle::Cap c) {
            return c == LineStyle::Cap::None ? 1u : c == LineStyle::Cap::Square ? 2u : 0u;
        };
        unsigned join = l.join == LineStyle::Join::Bevel ? 1 : l.join == LineStyle::Join::Miter ? 2 : 0;
        w.u8((cap(l.startCap) << 6) | (join << 4) | (l.fill ? 0x08 : 0));
        w.u8((l.closes ? 0 : 0x04) | cap(l.endCap));
        if (join == 2) w.u16(static_cast<uint32_t>(std::lround(l.miterLimit * 256)));
        if (l.fill) {
            writeFill(w, *l.fill, version);
            return;
        }
    }
    writeColor(w, l.color, version >= 3);
}

}  // namespace

void writeMatrix(BitWriter& w, const Matrix& m) {
    bool scale = m.a != 1 || m.d != 1;
    w.bits(scale, 1);
    if (scale) {
        int32_t a = fixed16(m.a), d = fixed16(m.d);
        unsigned n = BitWriter::signedBitsFor({a, d});
        w.bits(n, 5);
        w.signedBits(a, n);
        w.signedBits(d, n);
    }
    bool rotate = m.b != 0 || m.c != 0;
    w.bits(rotate, 1);
    if (rotate) {
        int32_t b = fixed16(m.b), c = fixed16(m.c);
        unsigned n = BitWriter::signedBitsFor({b, c});
        w.bits(n, 5);
        w.signedBits(b, n);
        w.signedBits(c, n);
    }
    int32_t tx = static_cast<int32_t>(std::lround(m.tx)), ty = static_cast<int32_t>(std::lround(m.ty));
    unsigned n = (tx == 0 && ty == 0) ? 0 : BitWriter::signedBitsFor({tx, ty});
    w.bits(n, 5);
    w.signedBits(tx, n);
    w.signedBits(ty, n);
    w.align();
}

void writeColorTransform(BitWriter& w, const ColorTransform& cx, bool withAlpha) {
    int channels = withAlpha ? 4 : 3;
    int32_t mul[4], add[4];
    bool hasMul = false, hasAdd = false;
    for (int i = 0; i < channels; ++i) {
        mul[i] = static_cast<int32_t>(std::lround(cx.mul[i] * 256.0f));
        add[i] = static_cast<int32_t>(std::lround(cx.add[i]));
        hasMul |= mul[i] != 256;
        hasAdd |= add[i] != 0;
    }
    unsigned n = 1;
    for (int i = 0; i < channels; ++i) {
        if (hasMul) n = std::max(n, BitWriter::signedBitsFor({mul[i]}));
        if (hasAdd) n = std::max(n, BitWriter::signedBitsFor({add[i]}));
    }
    w.bits(hasAdd, 1);
    w.bits(hasMul, 1);
    w.bits(n, 4);
    if (hasMul)
        for (int i = 0; i < channels; ++i) w.signedBits(mul[i], n);
    if (hasAdd)
        for (int i = 0; i < channels; ++i) w.signedBits(add[i], n);
    w.align();
}

void appendTag(std::vector<uint8_t>& out, unsigned code, const std::vector<uint8_t>& body) {
    BitWriter w;
    if (body.size() < 0x3F) {
        w.u16((code << 6) | static_cast<uint32_t>(body.size()));
    } else {
        w.u16((code << 6) | 0x3F);
        w.u32(static_cast<uint32_t>(body.size()));
    }
    w.bytes(body);
    out.insert(out.end(), w.data().begin(), w.data().end());
}

uint32_t ShapeBuilder::addSolidFill(Rgba color) {
    FillStyle f;
    f.color = color;
    return addFill(f);
}

uint32_t ShapeBuilder::addLinearGradient(const Matrix& matrix, std::vector<GradientStop> stops) {
    FillStyle f;
    f.kind = FillStyle::Kind::Linear;
    f.matrix = matrix;
    f.stops = std::move(stops);
    return addFill(f);
}

uint32_t ShapeBuilder::addRadialGradient(const Matrix& matrix, std::vector<GradientStop> stops) {
    uint32_t index = addLinearGradient(matrix, std::move(stops));
    groups_.back().fills.back().kind = FillStyle::Kind::Radial;
    return index;
}

uint32_t ShapeBuilder::addLineStyle(uint16_t width, Rgba color) {
    LineStyle l;
    l.width = width;
    l.color = color;
    return addLineStyle(l);
}

uint32_t ShapeBuilder::addLineStyle(const LineStyle& style) {
    groups_.back().lines.push_back(style);
    return static_cast<uint32_t>(groups_.back().lines.size());
}

uint32_t ShapeBuilder::addFill(const FillStyle& style) {
    groups_.back().fills.push_back(style);
    return static_cast<uint32_t>(groups_.back().fills.size());
}

void ShapeBuilder::newStyles() {
    groups_.emplace_back();
    Record r{Record::Kind::Style};
    r.styleGroup = groups_.size() - 1;
    records_.push_back(r);
}

void ShapeBuilder::setStyles(uint32_t fill0, uint32_t fill1, uint32_t line) {
    Record r{Record::Kind::Style};
    r.hasFill0 = r.hasFill1 = r.hasLine = true;
    r.fill0 = fill0;
    r.fill1 = fill1;
    r.line = line;
    r.styleGroup = groups_.size() - 1;
    records_.push_back(r);
}

void ShapeBuilder::include(int32_t x, int32_t y) {
    if (!hasBounds_) {
        bounds_ = {x, x, y, y};
        hasBounds_ = true;
    }
    bounds_.xMin = std::min(bounds_.xMin, x);
    bounds_.xMax = std::max(bounds_.xMax, x);
    bounds_.yMin = std::min(bounds_.yMin, y);
    bounds_.yMax = std::max(bounds_.yMax, y);
}

void ShapeBuilder::moveTo(int32_t x, int32_t y) {
    Record r{Record::Kind::Style};
    r.hasMove = true;
    r.a = x;
    r.b = y;
    r.styleGroup = groups_.size() - 1;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    include(x, y);
}

void ShapeBuilder::lineTo(int32_t x, int32_t y) {
    Record r{Record::Kind::Line};
    r.a = x - penX_;
    r.b = y - penY_;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    include(x, y);
}

void ShapeBuilder::curveTo(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    Record r{Record::Kind::Curve};
    r.a = cx - penX_;
    r.b = cy - penY_;
    r.c = x - cx;
    r.d = y - cy;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    include(cx, cy);
    include(x, y);
}

void ShapeBuilder::rectangle(int32_t x, int32_t y, int32_t w, int32_t h) {
    moveTo(x, y);
    lineTo(x + w, y);
    lineTo(x + w, y + h);
    lineTo(x, y + h);
    lineTo(x, y);
}

std::vector<uint8_t> ShapeBuilder::encode(int version, bool nonZero) const {
    BitWriter w;
    uint16_t maxLine = 0;
    for (const StyleGroup& g : groups_)
        for (const LineStyle& l : g.lines) maxLine = std::max(maxLine, l.width);
    TwipsRect edges = hasBounds_ ? bounds_ : TwipsRect{};
    TwipsRect outer = edges;
    outer.xMin -= maxLine / 2;
    outer.yMin -= maxLine / 2;
    outer.xMax += maxLine / 2;
    outer.yMax += maxLine / 2;
    writeRect(w, outer);
    if (version >= 4) {
        writeRect(w, edges);
        w.u8(nonZero ? 0x04 : 0);
    }
    writeRecords(w, version, true);
    return w.data();
}

std::vector<uint8_t> ShapeBuilder::encodeOutline() const {
    BitWriter w;
    writeRecords(w, 1, false);
    return w.data();
}

void ShapeBuilder::writeRecords(BitWriter& w, int version, bool withStyles) const {
    auto writeStyles = [&](const StyleGroup& g) {
        if (withStyles) {
            writeStyleCount(w, g.fills.size(), version);
            for (const FillStyle& f : g.fills) writeFill(w, f, version);
            writeStyleCount(w, g.lines.size(), version);
            for (const LineStyle& l : g.lines) writeLine(w, l, version);
        }
        unsigned fillBits = BitWriter::unsignedBitsFor(static_cast<uint32_t>(g.fills.size()));
        unsigned lineBits = BitWriter::unsignedBitsFor(static_cast<uint32_t>(g.lines.size()));
        w.bits(fillBits, 4);
        w.bits(lineBits, 4);
        return std::make_pair(fillBits, lineBits);
    };
    auto [fillBits, lineBits] = writeStyles(groups_.front());
    size_t group = 0;
    for (const Record& r : records_) {
        if (r.kind == Record::Kind::Line) {
            w.bits(1, 1);
            w.bits(1, 1);
            unsigned n = std::max(2u, BitWriter::signedBitsFor({r.a, r.b}));
            w.bits(n - 2, 4);
            if (r.a != 0 && r.b != 0) {
                w.bits(1, 1);
                w.signedBits(r.a, n);
                w.signedBits(r.b, n);
            } else {
                w.bits(0, 1);
                w.bits(r.a == 0, 1);
                w.signedBits(r.a == 0 ? r.b : r.a, n);
            }
        } else if (r.kind == Record::Kind::Curve) {
            w.bits(1, 1);
            w.bits(0, 1);
            unsigned n = std::max(2u, BitWriter::signedBitsFor({r.a, r.b, r.c, r.d}));
            w.bits(n - 2, 4);
            w.signedBits(r.a, n);
            w.signedBits(r.b, n);
            w.signedBits(r.c, n);
            w.signedBits(r.d, n);
        } else {
            bool newStyles = r.styleGroup != group;
            w.bits(0, 1);
            w.bits(newStyles, 1);
            w.bits(r.hasLine, 1);
            w.bits(r.hasFill1, 1);
            w.bits(r.hasFill0, 1);
            w.bits(r.hasMove || !(newStyles || r.hasLine || r.hasFill0 || r.hasFill1), 1);
            if (r.hasMove || !(newStyles || r.hasLine || r.hasFill0 || r.hasFill1)) {
                unsigned n = BitWriter::signedBitsFor({r.a, r.b});
                w.bits(n, 5);
                w.signedBits(r.a, n);
                w.signedBits(r.b, n);
            }
            if (r.hasFill0) w.bits(r.fill0, fillBits);
            if (r.hasFill1) w.bits(r.fill1, fillBits);
            if (r.hasLine) w.bits(r.line, lineBits);
            if (newStyles) {
                group = r.styleGroup;
                w.align();
                std::tie(fillBits, lineBits) = writeStyles(groups_[group]);
            }
        }
    }
    w.bits(0, 6);
    w.align();
}

void TimelineWriter::place(uint16_t depth, uint16_t characterId, const std::optional<Matrix>& matrix,
                           const std::optional<ColorTransform>& colorTransform) {
    BitWriter w;
    w.u8(0x02 | (matrix ? 0x04 : 0) | (colorTransform ? 0x08 : 0));
    w.u16(depth);
    w.u16(characterId);
    if (matrix) writeMatrix(w, *matrix);
    if (colorTransform) writeColorTransform(w, *colorTransform, true);
    appendTag(tags_, SwfTag::PlaceObject2, w.data());
}

void TimelineWriter::move(uint16_t depth, const std::optional<Matrix>& matrix,
                          const std::optional<ColorTransform>& colorTransform, std::optional<uint16_t> newCharacterId) {
    BitWriter w;
    w.u8(0x01 | (newCharacterId ? 0x02 : 0) | (matrix ? 0x04 : 0) | (colorTransform ? 0x08 : 0));
    w.u16(depth);
    if (newCharacterId) w.u16(*newCharacterId);
    if (matrix) writeMatrix(w, *matrix);
    if (colorTransform) writeColorTransform(w, *colorTransform, true);
    appendTag(tags_, SwfTag::PlaceObject2, w.data());
}

void TimelineWriter::actions(const std::vector<uint8_t>& records) {
    std::vector<uint8_t> body = records;
    body.push_back(0);
    appendTag(tags_, SwfTag::DoAction, body);
}

void TimelineWriter::remove(uint16_t depth) {
    BitWriter w;
    w.u16(depth);
    appendTag(tags_, SwfTag::RemoveObject2, w.data());
}

void TimelineWriter::showFrame() {
    appendTag(tags_, SwfTag::ShowFrame, {});
    ++frames_;
}

void TimelineWriter::rawTag(unsigned code, const std::vector<uint8_t>& body) { appendTag(tags_, code, body); }

SwfWriter::SwfWriter(uint8_t version, TwipsRect frame, float frameRate)
    : version_(version), frame_(frame), frameRate_(frameRate) {}

void SwfWriter::setBackground(Rgba color) {
    BitWriter w;
    writeColor(w, color, false);
    appendTag(definitions_, SwfTag::SetBackgroundColor, w.data());
}

uint16_t SwfWriter::defineShape(const ShapeBuilder& shape, int shapeVersion, bool nonZero) {
    static const unsigned codes[] = {SwfTag::DefineShape, SwfTag::DefineShape2, SwfTag::DefineShape3,
                                     SwfTag::DefineShape4};
    nonZero = nonZero || nonZeroShapes_;
    shapeVersion = nonZero ? 4 : std::clamp(shapeVersion, 1, 4);
    BitWriter w;
    w.u16(nextId_);
    w.bytes(shape.encode(shapeVersion, nonZero));
    appendTag(definitions_, codes[shapeVersion - 1], w.data());
    return nextId_++;
}

uint16_t SwfWriter::define(unsigned code, const std::vector<uint8_t>& body) {
    BitWriter w;
    w.u16(nextId_);
    w.bytes(body);
    rawDefinition(code, w.data());
    return nextId_++;
}

void SwfWriter::rawDefinition(unsigned code, const std::vector<uint8_t>& body) { appendTag(definitions_, code, body); }

uint16_t SwfWriter::defineSprite(const TimelineWriter& sprite) {
    BitWriter w;
    w.u16(nextId_);
    w.u16(sprite.frameCount());
    w.bytes(sprite.tags());
    w.u16(0);
    appendTag(definitions_, SwfTag::DefineSprite, w.data());
    return nextId_++;
}

std::vector<uint8_t> SwfWriter::finish(bool compressed) const {
    BitWriter body;
    writeRect(body, frame_);
    body.u16(static_cast<uint32_t>(std::lround(frameRate_ * 256.0f)));
    body.u16(main_.frameCount());
    std::vector<uint8_t> rest = body.data();
    rest.insert(rest.end(), definitions_.begin(), definitions_.end());
    rest.insert(rest.end(), main_.tags().begin(), main_.tags().end());
    rest.push_back(0);
    rest.push_back(0);

    std::vector<uint8_t> out = {static_cast<uint8_t>(compressed ? 'C' : 'F'), 'W', 'S', version_};
    uint32_t total = static_cast<uint32_t>(rest.size() + 8);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(total >> (8 * i)));
    if (!compressed) {
        out.insert(out.end(), rest.begin(), rest.end());
        return out;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rest.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, rest.data(), static_cast<uLong>(rest.size()), 9);
    out.insert(out.end(), packed.begin(), packed.begin() + packedSize);
    return out;
}

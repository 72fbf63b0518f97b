#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

#include <algorithm>

uint32_t ShapeDecoder::styleIndex(uint32_t raw, size_t base, size_t count) {
    if (raw == 0 || base + raw > count) return 0;
    return static_cast<uint32_t>(base + raw);
}

size_t ShapeDecoder::readCount() {
    size_t n = in_.u8();
    if (n == 0xFF && version_ >= 2) n = in_.u16();
    return n;
}

Rgba ShapeDecoder::readColor() { return version_ >= 3 ? readRgba(in_) : readRgb(in_); }

void ShapeDecoder::readGradient(FillStyle& f, uint8_t type) {
    uint8_t header = in_.u8();
    readGradientHeader(f, header);
    unsigned count = header & 0x0F;
    for (unsigned i = 0; i < count && !in_.overrun(); ++i) {
        GradientStop s;
        s.ratio = in_.u8();
        s.color = readColor();
        f.stops.push_back(s);
    }
    if (type == 0x13) f.focal = std::max(-1.0f, std::min(1.0f, static_cast<int16_t>(in_.u16()) / 256.0f));
    if (f.stops.empty()) f.stops.push_back({0, Rgba{0, 0, 0, 0}});
}

FillStyle ShapeDecoder::readFill(bool& ok) {
    FillStyle f;
    ok = true;
    uint8_t type = in_.u8();
    if (type == 0x00) {
        f.color = readColor();
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        f.kind = type == 0x10 ? FillStyle::Kind::Linear : FillStyle::Kind::Radial;
        f.matrix = readMatrix(in_);
        readGradient(f, type);
    } else if (type >= 0x40 && type <= 0x43) {
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmapId = in_.u16();
        f.matrix = readMatrix(in_);
        f.repeat = (type & 1) == 0;
        f.smooth = type < 0x42;
    } else {
        // Unknown fill type: its length cannot be known, so the rest is unreadable.
        in_.skip(in_.remaining());
        ok = false;
    }
    return f;
}

void ShapeDecoder::readStyles() {
    fillBase_ = shape_.fills.size();
    lineBase_ = shape_.lines.size();
    size_t fills = readCount();
    for (size_t i = 0; i < fills && !in_.overrun(); ++i) {
        bool ok = false;
        FillStyle f = readFill(ok);
        if (!ok) return;
        shape_.fills.push_back(f);
    }
    size_t lines = readCount();
    for (size_t i = 0; i < lines && !in_.overrun(); ++i) {
        LineStyle l;
        l.width = in_.u16();
        if (version_ < 4) {
            l.color = readColor();
        } else {
            uint8_t flags1 = in_.u8();
            uint8_t flags2 = in_.u8();
            auto cap = [](unsigned v) {
                return v == 1 ? LineStyle::Cap::None : v == 2 ? LineStyle::Cap::Square : LineStyle::Cap::Round;
            };
            l.startCap = cap(flags1 >> 6);
            l.endCap = cap(flags2 & 3);
            unsigned join = (flags1 >> 4) & 3;
            l.join = join == 1 ? LineStyle::Join::Bevel : join == 2 ? LineStyle::Join::Miter : LineStyle::Join::Round;
            l.closes = !(flags2 & 0x04);
            if (join == 2) l.miterLimit = std::max(1.0f, in_.u16() / 256.0f);
            if (flags1 & 0x08) {
                bool ok = false;
                FillStyle f = readFill(ok);
                if (!ok) return;
                l.color = f.kind == FillStyle::Kind::Solid ? f.color : f.stops.empty() ? Rgba{} : f.stops.front().color;
                if (f.kind != FillStyle::Kind::Solid) l.fill = f;
            } else {
                l.color = readRgba(in_);
            }
        }
        shape_.lines.push_back(l);
    }
}

void ShapeDecoder::readRecords(bool keepUnstyled) {
    unsigned fillBits = in_.bits(4), lineBits = in_.bits(4);
    float x = 0, y = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    while (!in_.overrun()) {
        if (in_.bits(1) == 0) {
            unsigned flags = in_.bits(5);
            if (flags == 0) break;
            if (flags & 1) {
                unsigned n = in_.bits(5);
                x = static_cast<float>(in_.signedBits(n));
                y = static_cast<float>(in_.signedBits(n));
            }
            if (flags & 2) fill0 = styleIndex(in_.bits(fillBits), fillBase_, shape_.fills.size());
            if (flags & 4) fill1 = styleIndex(in_.bits(fillBits), fillBase_, shape_.fills.size());
            if (flags & 8) line = styleIndex(in_.bits(lineBits), lineBase_, shape_.lines.size());
            if ((flags & 16) && version_ >= 2) {
                in_.align();
                readStyles();
                fillBits = in_.bits(4);
                lineBits = in_.bits(4);
                fill0 = fill1 = line = 0;
            }
            continue;
        }
        ShapeEdge e;
        e.from = {x, y};
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        bool straight = in_.bits(1);
        unsigned n = in_.bits(4) + 2;
        if (straight) {
            float dx = 0, dy = 0;
            if (in_.bits(1)) {
                dx = static_cast<float>(in_.signedBits(n));
                dy = static_cast<float>(in_.signedBits(n));
            } else if (in_.bits(1)) {
                dy = static_cast<float>(in_.signedBits(n));
            } else {
                dx = static_cast<float>(in_.signedBits(n));
            }
            x += dx;
            y += dy;
        } else {
            e.curved = true;
            float cx = x + in_.signedBits(n), cy = y + in_.signedBits(n);
            e.control = {cx, cy};
            x = cx + in_.signedBits(n);
            y = cy + in_.signedBits(n);
        }
        e.to = {x, y};
        if (!in_.overrun() && (keepUnstyled || fill0 || fill1 || line)) shape_.edges.push_back(e);
    }
}

void decodeShape(MovieDecoder& d, BitReader& body, unsigned code) {
    int version = code == SwfTag::DefineShape    ? 1
                  : code == SwfTag::DefineShape2 ? 2
                  : code == SwfTag::DefineShape3 ? 3
                                                 : 4;
    Character ch;
    ch.kind = Character::Kind::Shape;
    uint16_t id = body.u16();
    ch.shape.bounds = readRect(body);
    if (version >= 4) {
        readRect(body);
        ch.shape.nonZero = body.u8() & 0x04;
    }
    ShapeDecoder shapes(body, version, ch.shape);
    shapes.readStyles();
    shapes.readRecords();
    if (body.position() >= 2) d.define(id, std::move(ch));
}

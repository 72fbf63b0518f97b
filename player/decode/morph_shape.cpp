#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

#include <algorithm>

namespace {

size_t readCount(BitReader& in) {
    size_t n = in.u8();
    return n == 0xFF ? in.u16() : n;
}

// One morph fill: its start state into a, its end state into b.
bool readMorphFill(BitReader& in, FillStyle& a, FillStyle& b) {
    uint8_t type = in.u8();
    if (type == 0x00) {
        a.color = readRgba(in);
        b.color = readRgba(in);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        a.kind = b.kind = type == 0x10 ? FillStyle::Kind::Linear : FillStyle::Kind::Radial;
        a.matrix = readMatrix(in);
        b.matrix = readMatrix(in);
        uint8_t header = in.u8();
        readGradientHeader(a, header);
        readGradientHeader(b, header);
        for (unsigned i = 0; i < (header & 0x0Fu) && !in.overrun(); ++i) {
            GradientStop s;
            s.ratio = in.u8();
            s.color = readRgba(in);
            a.stops.push_back(s);
            s.ratio = in.u8();
            s.color = readRgba(in);
            b.stops.push_back(s);
        }
        if (type == 0x13) {
            a.focal = std::clamp(static_cast<int16_t>(in.u16()) / 256.0f, -1.0f, 1.0f);
            b.focal = std::clamp(static_cast<int16_t>(in.u16()) / 256.0f, -1.0f, 1.0f);
        }
        if (a.stops.empty()) {
            a.stops.push_back({0, Rgba{0, 0, 0, 0}});
            b.stops = a.stops;
        }
    } else if (type >= 0x40 && type <= 0x43) {
        a.kind = b.kind = FillStyle::Kind::Bitmap;
        a.bitmapId = b.bitmapId = in.u16();
        a.matrix = readMatrix(in);
        b.matrix = readMatrix(in);
        a.repeat = b.repeat = (type & 1) == 0;
        a.smooth = b.smooth = type < 0x42;
    } else {
        return false;
    }
    return !in.overrun();
}

bool readMorphStyles(BitReader& in, bool lineStyles2, MorphShape& m) {
    size_t fills = readCount(in);
    for (size_t i = 0; i < fills; ++i) {
        FillStyle a, b;
        if (!readMorphFill(in, a, b)) return false;
        m.start.fills.push_back(a);
        m.end.fills.push_back(b);
    }
    size_t lines = readCount(in);
    for (size_t i = 0; i < lines && !in.overrun(); ++i) {
        LineStyle a, b;
        a.width = in.u16();
        b.width = in.u16();
        if (lineStyles2) {
            uint8_t flags1 = in.u8(), flags2 = in.u8();
            auto cap = [](unsigned v) {
                return v == 1 ? LineStyle::Cap::None : v == 2 ? LineStyle::Cap::Square : LineStyle::Cap::Round;
            };
            unsigned join = (flags1 >> 4) & 3;
            a.startCap = b.startCap = cap(flags1 >> 6);
            a.endCap = b.endCap = cap(flags2 & 3);
            a.join = b.join = join == 1   ? LineStyle::Join::Bevel
                              : join == 2 ? LineStyle::Join::Miter
                                          : LineStyle::Join::Round;
            a.closes = b.closes = !(flags2 & 0x04);
            if (join == 2) a.miterLimit = b.miterLimit = std::max(1.0f, in.u16() / 256.0f);
            if (flags1 & 0x08) {
                FillStyle fa, fb;
                if (!readMorphFill(in, fa, fb)) return false;
                a.color = fa.stops.empty() ? fa.color : fa.stops.front().color;
                b.color = fb.stops.empty() ? fb.color : fb.stops.front().color;
                if (fa.kind != FillStyle::Kind::Solid) {
                    a.fill = fa;
                    b.fill = fb;
                }
            } else {
                a.color = readRgba(in);
                b.color = readRgba(in);
            }
        } else {
            a.color = readRgba(in);
            b.color = readRgba(in);
        }
        m.start.lines.push_back(a);
        m.end.lines.push_back(b);
    }
    return !in.overrun();
}

float lerp(float a, float b, float t) { return a + (b - a) * t; }

Rgba lerp(Rgba a, Rgba b, float t) {
    auto c = [t](uint8_t u, uint8_t v) { return static_cast<uint8_t>(std::clamp(lerp(u, v, t) + 0.5f, 0.0f, 255.0f)); };
    return {c(a.r, b.r), c(a.g, b.g), c(a.b, b.b), c(a.a, b.a)};
}

PointF lerp(PointF a, PointF b, float t) { return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)}; }

Matrix lerp(const Matrix& a, const Matrix& b, float t) {
    return {lerp(a.a, b.a, t), lerp(a.b, b.b, t),   lerp(a.c, b.c, t),
            lerp(a.d, b.d, t), lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)};
}

FillStyle lerp(const FillStyle& a, const FillStyle& b, float t) {
    FillStyle f = a;
    f.color = lerp(a.color, b.color, t);
    f.matrix = lerp(a.matrix, b.matrix, t);
    f.focal = lerp(a.focal, b.focal, t);
    for (size_t i = 0; i < f.stops.size() && i < b.stops.size(); ++i) {
        f.stops[i].ratio = static_cast<uint8_t>(lerp(a.stops[i].ratio, b.stops[i].ratio, t) + 0.5f);
        f.stops[i].color = lerp(a.stops[i].color, b.stops[i].color, t);
    }
    return f;
}

}  // namespace

void decodeMorph(MovieDecoder& d, BitReader& body, unsigned code) {
    Character ch;
    ch.kind = Character::Kind::Morph;
    MorphShape& m = ch.morph;
    uint16_t id = body.u16();
    m.start.bounds = readRect(body);
    m.end.bounds = readRect(body);
    if (code == SwfTag::DefineMorphShape2) {
        readRect(body);
        readRect(body);
        body.u8();  // stroke scaling flags
    }
    uint32_t offset = body.u32();
    if (body.overrun()) return;
    const uint8_t* base = body.here();
    size_t size = body.remaining();
    if (offset > size) return;
    BitReader styles(base, offset);
    if (!readMorphStyles(styles, code == SwfTag::DefineMorphShape2, m)) return;
    BitReader startEdges(base + styles.position(), offset - styles.position());
    ShapeDecoder(startEdges, 1, m.start).readRecords(true);
    BitReader endEdges(base + offset, size - offset);
    ShapeDecoder(endEdges, 1, m.end).readRecords(true);
    d.define(id, std::move(ch));
}

Shape morphShapeAt(const MorphShape& m, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    Shape s;
    s.bounds = {static_cast<int32_t>(lerp(float(m.start.bounds.xMin), float(m.end.bounds.xMin), t)),
                static_cast<int32_t>(lerp(float(m.start.bounds.xMax), float(m.end.bounds.xMax), t)),
                static_cast<int32_t>(lerp(float(m.start.bounds.yMin), float(m.end.bounds.yMin), t)),
                static_cast<int32_t>(lerp(float(m.start.bounds.yMax), float(m.end.bounds.yMax), t))};
    for (size_t i = 0; i < m.start.fills.size() && i < m.end.fills.size(); ++i)
        s.fills.push_back(lerp(m.start.fills[i], m.end.fills[i], t));
    for (size_t i = 0; i < m.start.lines.size() && i < m.end.lines.size(); ++i) {
        const LineStyle &a = m.start.lines[i], &b = m.end.lines[i];
        LineStyle l = a;
        l.width = static_cast<uint16_t>(lerp(a.width, b.width, t) + 0.5f);
        l.color = lerp(a.color, b.color, t);
        if (a.fill && b.fill) l.fill = lerp(*a.fill, *b.fill, t);
        s.lines.push_back(l);
    }
    size_t n = std::min(m.start.edges.size(), m.end.edges.size());
    for (size_t i = 0; i < n; ++i) {
        const ShapeEdge &a = m.start.edges[i], &b = m.end.edges[i];
        if (!a.fill0 && !a.fill1 && !a.line) continue;
        ShapeEdge e = a;
        e.from = lerp(a.from, b.from, t);
        e.to = lerp(a.to, b.to, t);
        e.curved = a.curved || b.curved;
        auto control = [](const ShapeEdge& x) {
            return x.curved ? x.control : PointF{(x.from.x + x.to.x) / 2, (x.from.y + x.to.y) / 2};
        };
        e.control = lerp(control(a), control(b), t);
        e.fill0 = a.fill0 <= s.fills.size() ? a.fill0 : 0;
        e.fill1 = a.fill1 <= s.fills.size() ? a.fill1 : 0;
        e.line = a.line <= s.lines.size() ? a.line : 0;
        s.edges.push_back(e);
    }
    return s;
}

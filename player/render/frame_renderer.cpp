#include "player/render/frame_renderer.h"

#include <algorithm>
#include <cmath>

namespace {

inline uint32_t scalePixel(uint32_t p, uint32_t f) {
    uint32_t rb = (p & 0x00FF00FFu) * f + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((p >> 8) & 0x00FF00FFu) * f + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

inline uint32_t over(uint32_t dst, uint32_t src) { return src + scalePixel(dst, 255 - (src >> 24)); }

inline uint32_t premultiplied(Rgba c) {
    uint32_t a = c.a;
    auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
    return (a << 24) | (mul(c.r) << 16) | (mul(c.g) << 8) | mul(c.b);
}

inline void blendSpan(uint32_t* row, int x0, int x1, const uint8_t* cov, uint32_t color) {
    bool opaque = (color >> 24) == 255;
    for (int x = x0; x < x1; ++x) {
        uint32_t c = cov[x - x0];
        if (c == 0) continue;
        if (c == 255)
            row[x] = opaque ? color : over(row[x], color);
        else
            row[x] = over(row[x], scalePixel(color, c));
    }
}

float toLinear(uint8_t v) {
    float c = v / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

uint8_t fromLinear(float c) {
    c = std::clamp(c, 0.0f, 1.0f);
    float v = c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

void buildGradientTable(const FillStyle& style, const ColorTransform& cx, uint32_t table[256]) {
    const auto& stops = style.stops;
    size_t k = 0;
    for (int i = 0; i < 256; ++i) {
        while (k < stops.size() && stops[k].ratio < i) ++k;
        Rgba c;
        if (k == 0) {
            c = stops.front().color;
        } else if (k == stops.size()) {
            c = stops.back().color;
        } else {
            const GradientStop& a = stops[k - 1];
            const GradientStop& b = stops[k];
            float t = b.ratio == a.ratio ? 1.0f : float(i - a.ratio) / float(b.ratio - a.ratio);
            auto lerp = [t](uint8_t u, uint8_t v) { return static_cast<uint8_t>(u + (v - u) * t + 0.5f); };
            auto lerpLinear = [t](uint8_t u, uint8_t v) {
                float x = toLinear(u), y = toLinear(v);
                return fromLinear(x + (y - x) * t);
            };
            if (style.linearRgb)
                c = {lerpLinear(a.color.r, b.color.r), lerpLinear(a.color.g, b.color.g),
                     lerpLinear(a.color.b, b.color.b), lerp(a.color.a, b.color.a)};
            else
                c = {lerp(a.color.r, b.color.r), lerp(a.color.g, b.color.g), lerp(a.color.b, b.color.b),
                     lerp(a.color.a, b.color.a)};
        }
        table[i] = premultiplied(cx.apply(c));
    }
}

inline int gradientIndex(float t) {
    if (!(t > 0)) return 0;
    if (t >= 255.0f) return 255;
    return roundToInt(t - 0.5f);
}

uint32_t transformPixel(uint32_t p, const ColorTransform& cx) {
    uint32_t a = p >> 24;
    if (a == 0 && cx.add[3] <= 0) return 0;
    auto unmul = [a](uint32_t v) { return static_cast<uint8_t>(a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0); };
    Rgba c{unmul((p >> 16) & 255), unmul((p >> 8) & 255), unmul(p & 255), static_cast<uint8_t>(a)};
    return premultiplied(cx.apply(c));
}

// Painters receive the rasteriser's rows: varying coverage (span) or a
// constant coverage over a stretch (run).
struct SolidPainter {
    const Surface& surface;
    uint32_t color;

    uint32_t* row(int y) const { return surface.pixels + static_cast<size_t>(y) * surface.stride; }
    void span(int y, int x0, int x1, const uint8_t* cov) { blendSpan(row(y), x0, x1, cov, color); }
    void run(int y, int x0, int x1, uint8_t c) {
        uint32_t* r = row(y);
        uint32_t src = c == 255 ? color : scalePixel(color, c);
        if ((src >> 24) == 255) {
            std::fill(r + x0, r + x1, src);
            return;
        }
        uint32_t keep = 255 - (src >> 24);
        for (int x = x0; x < x1; ++x) r[x] = src + scalePixel(r[x], keep);
    }
};

// Shared by gradient and bitmap painters: a source colour per pixel.
template <class Source>
struct SourcePainter {
    const Surface& surface;
    Source source;

    uint32_t* row(int y) const { return surface.pixels + static_cast<size_t>(y) * surface.stride; }
    void span(int y, int x0, int x1, const uint8_t* cov) {
        uint32_t* r = row(y);
        source.start(x0, y);
        for (int x = x0; x < x1; ++x) {
            uint32_t p = source.next();
            uint32_t c = cov[x - x0];
            if (c == 255 && (p >> 24) == 255)
                r[x] = p;
            else if (c)
                r[x] = over(r[x], c == 255 ? p : scalePixel(p, c));
        }
    }
    void run(int y, int x0, int x1, uint8_t c) {
        uint32_t* r = row(y);
        uint32_t flat;
        if (source.constantOver(x0, x1, y, flat)) {
            SolidPainter{surface, flat}.run(y, x0, x1, c);
            return;
        }
        source.start(x0, y);
        if (c == 255) {
            for (int x = x0; x < x1; ++x) {
                uint32_t p = source.next();
                r[x] = (p >> 24) == 255 ? p : over(r[x], p);
            }
        } else {
            for (int x = x0; x < x1; ++x) r[x] = over(r[x], scalePixel(source.next(), c));
        }
    }
};

struct GradientSource {
    enum class Form { Linear, Radial, Focal };
    const uint32_t* table;
    Matrix inv;  // device -> gradient square
    Form form;
    FillStyle::Spread spread;
    float focal;
    float gx = 0, gy = 0;

    // Position along the gradient, 0 at its start and 1 at its end.
    float position(float u, float v) const {
        switch (form) {
        case Form::Linear: return (u + 16384.0f) * (1.0f / 32768.0f);
        case Form::Radial: return std::sqrt(u * u + v * v) * (1.0f / 16384.0f);
        case Form::Focal: {
            // The ray from the focal point through (u, v) meets the circle at
            // s times the distance; the position is 1 / s.
            float x = u * (1.0f / 16384.0f) - focal, y = v * (1.0f / 16384.0f);
            float a = x * x + y * y, b = focal * x, c = focal * focal - 1.0f;
            float root = -b + std::sqrt(std::max(0.0f, b * b - a * c));
            return root > 0 ? a / root : 1.0f;
        }
        }
        return 0;
    }
    int index(float t) const {
        if (spread == FillStyle::Spread::Repeat) {
            t -= std::floor(t);
        } else if (spread == FillStyle::Spread::Reflect) {
            t = std::fabs(t);
            t -= 2.0f * std::floor(t * 0.5f);
            if (t > 1.0f) t = 2.0f - t;
        }
        return gradientIndex(t * 255.0f);
    }
    void start(int x, int y) {
        float fx = x + 0.5f, fy = y + 0.5f;
        gx = inv.a * fx + inv.c * fy + inv.tx;
        gy = inv.b * fx + inv.d * fy + inv.ty;
    }
    uint32_t next() {
        float t = form == Form::Linear && spread == FillStyle::Spread::Pad
                      ? (gx + 16384.0f) * (255.0f / 32768.0f) : -1.0f;
        int i = t >= 0 ? gradientIndex(t) : index(position(gx, gy));
        gx += inv.a;
        gy += inv.b;
        return table[i];
    }
    // A padded linear gradient is monotonic along a row: equal ends mean one colour.
    bool constantOver(int x0, int x1, int y, uint32_t& color) const {
        if (form != Form::Linear || spread != FillStyle::Spread::Pad) return false;
        auto at = [&](float x) {
            float fy = y + 0.5f;
            return index(position(inv.a * x + inv.c * fy + inv.tx, inv.b * x + inv.d * fy + inv.ty));
        };
        int a = at(x0 + 0.5f), b = at(x1 - 0.5f);
        color = table[a];
        return a == b;
    }
};

struct BitmapSource {
    const Bitmap& bitmap;
    Matrix inv;  // device -> bitmap pixels
    bool repeat;
    bool smooth;
    const ColorTransform* transform;  // null when identity
    float u = 0, v = 0;

    void start(int x, int y) {
        float fx = x + 0.5f, fy = y + 0.5f;
        u = inv.a * fx + inv.c * fy + inv.tx;
        v = inv.b * fx + inv.d * fy + inv.ty;
    }
    long wrap(long i, long n) const {
        if (!repeat) return std::clamp<long>(i, 0, n - 1);
        i %= n;
        return i < 0 ? i + n : i;
    }
    uint32_t texel(long iu, long iv) const {
        return bitmap.pixels[static_cast<size_t>(wrap(iv, bitmap.height)) * bitmap.width + wrap(iu, bitmap.width)];
    }
    uint32_t next() {
        float su = smooth ? u - 0.5f : u, sv = smooth ? v - 0.5f : v;
        u += inv.a;
        v += inv.b;
        if (!(std::fabs(su) < 4e6f && std::fabs(sv) < 4e6f)) return 0;
        // The texel below and left of the sample (its neighbour where the sample lies on an edge).
        long iu = roundToInt(su - 0.5f), iv = roundToInt(sv - 0.5f);
        uint32_t p;
        if (smooth) {
            uint32_t wu = static_cast<uint32_t>(std::clamp(roundToInt((su - iu) * 256.0f), 0, 256));
            uint32_t wv = static_cast<uint32_t>(std::clamp(roundToInt((sv - iv) * 256.0f), 0, 256));
            auto mix = [](uint32_t a, uint32_t b, uint32_t w) {  // w/256 of b
                uint32_t rb = (((a & 0x00FF00FFu) * (256 - w) + (b & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
                uint32_t ag = ((((a >> 8) & 0x00FF00FFu) * (256 - w) + ((b >> 8) & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
                return rb | (ag << 8);
            };
            p = mix(mix(texel(iu, iv), texel(iu + 1, iv), wu), mix(texel(iu, iv + 1), texel(iu + 1, iv + 1), wu), wv);
        } else {
            p = texel(iu, iv);
        }
        return transform ? transformPixel(p, *transform) : p;
    }
    bool constantOver(int, int, int, uint32_t&) const { return false; }
};

// Coverage of a mask, taken as the largest coverage of any of its fills.
struct MaskPainter {
    uint8_t* mask;
    int stride;

    void span(int y, int x0, int x1, const uint8_t* cov) {
        uint8_t* row = mask + static_cast<size_t>(y) * stride;
        for (int x = x0; x < x1; ++x) row[x] = std::max(row[x], cov[x - x0]);
    }
    void run(int y, int x0, int x1, uint8_t c) {
        uint8_t* row = mask + static_cast<size_t>(y) * stride;
        for (int x = x0; x < x1; ++x) row[x] = std::max(row[x], c);
    }
};

// Passes coverage on to another painter, scaled by a mask.
template <class Painter>
struct MaskedPainter {
    Painter& inner;
    const uint8_t* mask;
    int stride;
    uint8_t* scratch;

    void span(int y, int x0, int x1, const uint8_t* cov) {
        const uint8_t* row = mask + static_cast<size_t>(y) * stride;
        for (int x = x0; x < x1; ++x) scratch[x - x0] = static_cast<uint8_t>((cov[x - x0] * row[x] + 127) / 255);
        inner.span(y, x0, x1, scratch);
    }
    void run(int y, int x0, int x1, uint8_t c) {
        const uint8_t* row = mask + static_cast<size_t>(y) * stride;
        for (int x = x0; x < x1; ++x) scratch[x - x0] = static_cast<uint8_t>((c * row[x] + 127) / 255);
        inner.span(y, x0, x1, scratch);
    }
};

// A blend mode's result for one premultiplied source pixel over the target.
uint32_t blendPixel(uint32_t dst, uint32_t src, BlendMode mode) {
    float sa = (src >> 24) / 255.0f, da = (dst >> 24) / 255.0f;
    if (sa <= 0) return dst;
    float out[3];
    for (int i = 0; i < 3; ++i) {
        int shift = 16 - 8 * i;
        float s = ((src >> shift) & 255) / 255.0f, d = ((dst >> shift) & 255) / 255.0f;
        float cs = s / sa, cb = da > 0 ? d / da : 0, mixed;
        switch (mode) {
        case BlendMode::Multiply: mixed = cs * cb; break;
        case BlendMode::Screen: mixed = cs + cb - cs * cb; break;
        case BlendMode::Lighten: mixed = std::max(cs, cb); break;
        case BlendMode::Darken: mixed = std::min(cs, cb); break;
        case BlendMode::Difference: mixed = std::fabs(cs - cb); break;
        case BlendMode::Add: mixed = std::min(1.0f, cs + cb); break;
        case BlendMode::Subtract: mixed = std::max(0.0f, cb - cs); break;
        case BlendMode::Invert: mixed = 1.0f - cb; break;
        case BlendMode::Overlay:
            mixed = cb <= 0.5f ? 2 * cs * cb : 1 - 2 * (1 - cs) * (1 - cb);
            break;
        case BlendMode::HardLight:
            mixed = cs <= 0.5f ? 2 * cs * cb : 1 - 2 * (1 - cs) * (1 - cb);
            break;
        default: mixed = cs; break;
        }
        out[i] = s * (1 - da) + d * (1 - sa) + sa * da * mixed;
    }
    float a = sa + da - sa * da;
    auto channel = [a](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, a) * 255.0f + 0.5f); };
    return (static_cast<uint32_t>(a * 255.0f + 0.5f) << 24) | (channel(out[0]) << 16) | (channel(out[1]) << 8) |
           channel(out[2]);
}

struct SolidSource {
    uint32_t color;
    void start(int, int) {}
    uint32_t next() { return color; }
};

// Paints through a blend mode instead of plain "over".
template <class Source>
struct BlendingPainter {
    const Surface& surface;
    Source source;
    BlendMode mode;

    void span(int y, int x0, int x1, const uint8_t* cov) {
        uint32_t* r = surface.pixels + static_cast<size_t>(y) * surface.stride;
        source.start(x0, y);
        for (int x = x0; x < x1; ++x) {
            uint32_t p = source.next(), c = cov[x - x0];
            if (c) r[x] = blendPixel(r[x], c == 255 ? p : scalePixel(p, c), mode);
        }
    }
    void run(int y, int x0, int x1, uint8_t c) {
        uint32_t* r = surface.pixels + static_cast<size_t>(y) * surface.stride;
        source.start(x0, y);
        for (int x = x0; x < x1; ++x) {
            uint32_t p = source.next();
            r[x] = blendPixel(r[x], c == 255 ? p : scalePixel(p, c), mode);
        }
    }
};

}  // namespace

Matrix showAllTransform(const Movie& movie, int width, int height) {
    float mw = static_cast<float>(movie.frameRect.width());
    float mh = static_cast<float>(movie.frameRect.height());
    Matrix m;
    if (mw <= 0 || mh <= 0 || width <= 0 || height <= 0) {
        m.a = m.d = 1.0f / 20.0f;
        return m;
    }
    float s = std::min(width / mw, height / mh);
    m.a = m.d = s;
    m.tx = (width - mw * s) * 0.5f - movie.frameRect.xMin * s;
    m.ty = (height - mh * s) * 0.5f - movie.frameRect.yMin * s;
    return m;
}

void FrameRenderer::render(const Movie& movie, const DrawList& list, Surface& surface) {
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return;
    uint32_t bg = 0xFF000000u | (uint32_t(movie.background.r) << 16) | (uint32_t(movie.background.g) << 8) |
                  movie.background.b;
    for (int y = 0; y < surface.height; ++y)
        std::fill_n(surface.pixels + static_cast<size_t>(y) * surface.stride, surface.width, bg);
    currentMask_ = -1;
    for (const DrawItem& item : list.items) {
        useMask(list, item.mask, surface);
        drawShape(movie, item, surface);
    }
    currentMask_ = -1;
}

template <class Painter>
void FrameRenderer::sweep(Painter& painter, bool nonZero) {
    if (currentMask_ < 0) {
        rasterizer_.sweep(painter, nonZero);
        return;
    }
    MaskedPainter<Painter> masked{painter, mask_.data(), rasterizer_.width(), maskScratch_.data()};
    rasterizer_.sweep(masked, nonZero);
}

void FrameRenderer::useMask(const DrawList& list, int mask, const Surface& surface) {
    if (mask == currentMask_) return;
    currentMask_ = -1;
    if (mask < 0 || mask >= static_cast<int>(list.masks.size())) return;
    if (rasterizer_.width() != surface.width || rasterizer_.height() != surface.height)
        rasterizer_.reset(surface.width, surface.height);
    renderMask(list, mask, surface);
    currentMask_ = mask;
}

// The mask's own coverage, times that of the masks it lies in (the nearest
// few; deeper nesting is ignored so the work per mask stays bounded).
void FrameRenderer::renderMask(const DrawList& list, int mask, const Surface& surface) {
    constexpr int kMaxMaskNesting = 8;
    size_t size = static_cast<size_t>(surface.width) * surface.height;
    auto coverageOf = [&](const MaskItem& item, std::vector<uint8_t>& out) {
        out.assign(size, 0);
        MaskPainter painter{out.data(), surface.width};
        for (const auto& [shape, toDevice] : item.shapes) {
            flattenEdges(*shape, toDevice);
            for (size_t i = 1; i < fillSegments_.size(); ++i) {
                if (fillSegments_[i].empty()) continue;
                for (const Segment& s : fillSegments_[i]) rasterizer_.addLine(s.x0, s.y0, s.x1, s.y1);
                rasterizer_.sweep(painter, shape->nonZero);
            }
        }
    };
    coverageOf(list.masks[mask], mask_);
    // Masks are listed after the masks they lie in, so the chain ends.
    for (int level = 0, inner = mask, outer = list.masks[mask].parent; outer >= 0 && outer < inner && level < kMaxMaskNesting;
         ++level, inner = outer, outer = list.masks[outer].parent) {
        coverageOf(list.masks[outer], maskScratch_);
        for (size_t i = 0; i < size; ++i) mask_[i] = static_cast<uint8_t>((mask_[i] * maskScratch_[i] + 127) / 255);
    }
    maskScratch_.resize(static_cast<size_t>(surface.width) + 3);
}

void FrameRenderer::flattenEdges(const Shape& shape, const Matrix& m) {
    fillSegments_.resize(shape.fills.size() + 1);
    lineSegments_.resize(shape.lines.size() + 1);
    for (auto& v : fillSegments_) v.clear();
    for (auto& v : lineSegments_) v.clear();
    // Segments are oriented with their fill's inside on the right (y down);
    // a mirroring matrix swaps the sides.
    float inside = m.a * m.d - m.b * m.c < 0 ? -1.0f : 1.0f;
    // Where two fills share an edge, the one drawn first reaches under the
    // other by a pixel and a half: the later fill's anti-aliased edge then blends
    // with it, not with what lies below the shape.
    auto reachUnder = [&](std::vector<Segment>& out, PointF p, PointF q) {
        float dx = q.x - p.x, dy = q.y - p.y;
        float len = std::sqrt(dx * dx + dy * dy);
        if (!(len > 1e-6f) || !std::isfinite(len)) {
            out.push_back({p.x, p.y, q.x, q.y});
            return;
        }
        float k = 1.5f * inside / len;
        float ox = dy * k, oy = -dx * k;  // away from the inside
        out.push_back({p.x, p.y, p.x + ox, p.y + oy});
        out.push_back({p.x + ox, p.y + oy, q.x + ox, q.y + oy});
        out.push_back({q.x + ox, q.y + oy, q.x, q.y});
    };
    auto emit = [&](const ShapeEdge& e, PointF a, PointF b) {
        if (e.fill0 && e.fill1 && e.fill0 != e.fill1) {
            if (e.fill1 < e.fill0) {
                reachUnder(fillSegments_[e.fill1], a, b);
                fillSegments_[e.fill0].push_back({b.x, b.y, a.x, a.y});
            } else {
                fillSegments_[e.fill1].push_back({a.x, a.y, b.x, b.y});
                reachUnder(fillSegments_[e.fill0], b, a);
            }
        } else if (e.fill0 != e.fill1) {
            if (e.fill1) fillSegments_[e.fill1].push_back({a.x, a.y, b.x, b.y});
            if (e.fill0) fillSegments_[e.fill0].push_back({b.x, b.y, a.x, a.y});
        }
        if (e.line) lineSegments_[e.line].push_back({a.x, a.y, b.x, b.y});
    };
    for (const ShapeEdge& e : shape.edges) {
        PointF p0 = m.apply(e.from.x, e.from.y);
        PointF p2 = m.apply(e.to.x, e.to.y);
        if (!e.curved) {
            emit(e, p0, p2);
            continue;
        }
        PointF p1 = m.apply(e.control.x, e.control.y);
        float ddx = p0.x - 2 * p1.x + p2.x, ddy = p0.y - 2 * p1.y + p2.y;
        float dd = std::sqrt(ddx * ddx + ddy * ddy);
        // Chord error of n equal steps is dd / (4 n^2); keep it under 0.1 px.
        int n = std::isfinite(dd) ? static_cast<int>(std::ceil(std::min(std::sqrt(dd * 2.5f), 64.0f))) : 1;
        n = std::clamp(n, 1, 64);
        PointF prev = p0;
        for (int i = 1; i <= n; ++i) {
            float t = static_cast<float>(i) / n, u = 1 - t;
            PointF q = i == n ? p2
                              : PointF{u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                                       u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y};
            emit(e, prev, q);
            if (e.line && i > 1) lineSegments_[e.line].back().smoothStart = true;
            prev = q;
        }
    }
}

void FrameRenderer::drawShape(const Movie& movie, const DrawItem& item, Surface& surface) {
    const Shape& shape = *item.shape;
    if (item.colorTransform.mul[3] <= 0 && item.colorTransform.add[3] <= 0) return;
    if (rasterizer_.width() != surface.width || rasterizer_.height() != surface.height)
        rasterizer_.reset(surface.width, surface.height);

    // Skip shapes that lie wholly outside the surface.
    const Matrix& m = item.toDevice;
    float scale = std::sqrt(std::fabs(m.a * m.d - m.b * m.c));
    float margin = 0;
    for (const LineStyle& l : shape.lines)
        margin = std::max(margin, l.width * scale * 0.5f * (l.join == LineStyle::Join::Miter ? l.miterLimit : 1.5f) + 1.0f);
    const TwipsRect& b = shape.bounds;
    PointF corners[4] = {m.apply(b.xMin, b.yMin), m.apply(b.xMax, b.yMin), m.apply(b.xMin, b.yMax),
                         m.apply(b.xMax, b.yMax)};
    float minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const PointF& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    if (maxX + margin < 0 || maxY + margin < 0 || minX - margin > surface.width || minY - margin > surface.height)
        return;

    flattenEdges(shape, m);
    for (size_t i = 1; i < fillSegments_.size(); ++i) {
        if (fillSegments_[i].empty()) continue;
        for (const Segment& s : fillSegments_[i]) rasterizer_.addLine(s.x0, s.y0, s.x1, s.y1);
        fill(movie, shape.fills[i - 1], item, surface, shape.nonZero);
    }
    for (size_t i = 1; i < lineSegments_.size(); ++i) {
        if (lineSegments_[i].empty()) continue;
        const LineStyle& style = shape.lines[i - 1];
        float halfWidth = std::max(0.5f, style.width * scale * 0.5f);
        if (!std::isfinite(halfWidth)) continue;
        outlineStroke(lineSegments_[i], std::min(halfWidth, 1e5f), style);
        FillStyle paint;
        paint.color = style.color;
        fill(movie, style.fill ? *style.fill : paint, item, surface, true);
    }
}

void FrameRenderer::fill(const Movie& movie, const FillStyle& style, const DrawItem& item, Surface& surface,
                         bool nonZero) {
    const ColorTransform& cx = item.colorTransform;
    bool blended = item.blend != BlendMode::Normal && item.blend != BlendMode::Layer;
    if (style.kind == FillStyle::Kind::Solid) {
        uint32_t color = premultiplied(cx.apply(style.color));
        if (color == 0) {
            rasterizer_.discard();
        } else if (blended) {
            BlendingPainter<SolidSource> painter{surface, {color}, item.blend};
            sweep(painter, nonZero);
        } else {
            SolidPainter painter{surface, color};
            sweep(painter, nonZero);
        }
        return;
    }

    Matrix inv;
    const Bitmap* bitmap = nullptr;
    if (style.kind == FillStyle::Kind::Bitmap) {
        const Character* ch = movie.character(style.bitmapId);
        if (ch && ch->kind == Character::Kind::Bitmap) bitmap = &ch->bitmap;
    }
    if (!(item.toDevice * style.matrix).invert(inv) || (style.kind == FillStyle::Kind::Bitmap && !bitmap)) {
        rasterizer_.discard();
        return;
    }
    if (bitmap) {
        BitmapSource source{*bitmap, inv, style.repeat, style.smooth, cx.isIdentity() ? nullptr : &cx};
        if (blended) {
            BlendingPainter<BitmapSource> painter{surface, source, item.blend};
            sweep(painter, nonZero);
        } else {
            SourcePainter<BitmapSource> painter{surface, source};
            sweep(painter, nonZero);
        }
        return;
    }
    uint32_t table[256];
    buildGradientTable(style, cx, table);
    using Form = GradientSource::Form;
    Form form = style.kind == FillStyle::Kind::Linear ? Form::Linear : style.focal != 0 ? Form::Focal : Form::Radial;
    GradientSource source{table, inv, form, style.spread, std::clamp(style.focal, -0.998f, 0.998f)};
    if (blended) {
        BlendingPainter<GradientSource> painter{surface, source, item.blend};
        sweep(painter, nonZero);
    } else {
        SourcePainter<GradientSource> painter{surface, source};
        sweep(painter, nonZero);
    }
}

// Adds a polygon with a fixed orientation, so that overlapping parts of one
// stroke add up instead of cancelling under the non-zero rule.
void FrameRenderer::addPolygon(const PointF* points, int count) {
    float area = 0;
    for (int i = 0; i < count; ++i) {
        const PointF &p = points[i], &q = points[(i + 1) % count];
        area += p.x * q.y - q.x * p.y;
    }
    for (int i = 0; i < count; ++i) {
        const PointF &p = points[i], &q = points[(i + 1) % count];
        if (area >= 0)
            rasterizer_.addLine(p.x, p.y, q.x, q.y);
        else
            rasterizer_.addLine(q.x, q.y, p.x, p.y);
    }
}

void FrameRenderer::addDisc(float cx, float cy, float hw) {
    // Enough corners to keep the outline within 0.1 pixel of the circle.
    PointF points[64];
    int n = std::clamp(static_cast<int>(std::ceil(3.1415927f / std::acos(std::max(0.0f, 1.0f - 0.1f / hw)))), 8, 64);
    for (int i = 0; i < n; ++i) {
        float a = 6.2831853f * i / n;
        points[i] = {cx + hw * std::cos(a), cy - hw * std::sin(a)};
    }
    addPolygon(points, n);
}

// The outline of a stroke: a band along each segment, joins where segments
// meet (round, bevelled or mitred; bevelled inside flattened curves, where
// the turns are small) and caps at open ends (round, square or none).
void FrameRenderer::outlineStroke(const std::vector<Segment>& segments, float hw, const LineStyle& style) {
    auto direction = [](const Segment& s, float& dx, float& dy) {
        dx = s.x1 - s.x0;
        dy = s.y1 - s.y0;
        float len = std::sqrt(dx * dx + dy * dy);
        if (!(len > 1e-6f)) return false;
        dx /= len;
        dy /= len;
        return true;
    };
    auto cap = [&](float x, float y, float dx, float dy, LineStyle::Cap kind) {  // (dx, dy) points outwards
        if (kind == LineStyle::Cap::Round) {
            if (hw > 1.0f) addDisc(x, y, hw);
        } else if (kind == LineStyle::Cap::Square) {
            float nx = -dy * hw, ny = dx * hw, ex = dx * hw, ey = dy * hw;
            PointF quad[4] = {{x + nx, y + ny}, {x + nx + ex, y + ny + ey}, {x - nx + ex, y - ny + ey}, {x - nx, y - ny}};
            addPolygon(quad, 4);
        }
    };
    auto join = [&](const Segment& in, const Segment& out, bool smooth) {
        float ax, ay, bx, by;
        if (!direction(in, ax, ay) || !direction(out, bx, by)) return;
        if (ax * bx + ay * by > 0.9999f) return;
        float x = out.x0, y = out.y0;
        if (style.join == LineStyle::Join::Round && !smooth) {
            if (hw > 1.0f) addDisc(x, y, hw);
            else smooth = true;
        }
        if (style.join == LineStyle::Join::Round && !smooth) return;
        // The outer side is the one the path turns away from.
        float side = ax * by - ay * bx > 0 ? -1.0f : 1.0f;
        PointF p{x, y}, a{x - ay * hw * side, y + ax * hw * side}, b{x - by * hw * side, y + bx * hw * side};
        if (style.join == LineStyle::Join::Miter && !smooth) {
            float mx = a.x + b.x - 2 * x, my = a.y + b.y - 2 * y;
            float half = std::sqrt(mx * mx + my * my) / (2 * hw);  // cosine of half the turn between the normals
            if (half > 1e-4f && 1.0f / half <= style.miterLimit) {
                float k = hw / half / (2 * hw * half);
                PointF tip{x + mx * k, y + my * k};
                PointF quad[4] = {p, a, tip, b};
                addPolygon(quad, 4);
                return;
            }
        }
        PointF triangle[3] = {p, a, b};
        addPolygon(triangle, 3);
    };
    size_t begin = 0;
    while (begin < segments.size()) {
        size_t end = begin + 1;
        while (end < segments.size() && segments[end].x0 == segments[end - 1].x1 && segments[end].y0 == segments[end - 1].y1)
            ++end;
        bool drawn = false;
        for (size_t i = begin; i < end; ++i) {
            const Segment& s = segments[i];
            float dx, dy;
            if (!direction(s, dx, dy)) continue;
            drawn = true;
            float nx = -dy * hw, ny = dx * hw;
            PointF quad[4] = {{s.x0 + nx, s.y0 + ny}, {s.x1 + nx, s.y1 + ny}, {s.x1 - nx, s.y1 - ny}, {s.x0 - nx, s.y0 - ny}};
            addPolygon(quad, 4);
            if (i > begin) join(segments[i - 1], s, s.smoothStart);
        }
        const Segment &first = segments[begin], &last = segments[end - 1];
        bool closed = end - begin > 1 && first.x0 == last.x1 && first.y0 == last.y1;
        if (!drawn) {
            if (style.startCap == LineStyle::Cap::Round) addDisc(first.x0, first.y0, hw);
        } else if (closed && style.closes) {
            join(last, first, false);
        } else {
            float dx, dy;
            for (size_t i = begin; i < end; ++i)
                if (direction(segments[i], dx, dy)) {
                    cap(segments[i].x0, segments[i].y0, -dx, -dy, style.startCap);
                    break;
                }
            for (size_t i = end; i-- > begin;)
                if (direction(segments[i], dx, dy)) {
                    cap(segments[i].x1, segments[i].y1, dx, dy, style.endCap);
                    break;
                }
        }
        begin = end;
    }
}

#include "player/render/paint.h"

#include <algorithm>
#include <cmath>

namespace {

// Gradients are drawn on a square of their own space, centred on its origin:
// a linear one runs across it from left to right, a radial one from the
// centre to the edge.
constexpr float kGradientSquare = 32768.0f;             // its side, in twips
constexpr float kGradientRadius = kGradientSquare / 2;  // half of it

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
    auto unmul = [a](uint32_t v) {
        return static_cast<uint8_t>(a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0);
    };
    Rgba c{unmul((p >> 16) & 255), unmul((p >> 8) & 255), unmul(p & 255), static_cast<uint8_t>(a)};
    return premultiplied(cx.apply(c));
}

// Painters receive the rasteriser's rows: varying coverage (span) or a
// constant coverage over a stretch (run).
struct SolidPainter {
    const Surface& surface;
    uint32_t color;

    void span(int y, int x0, int x1, const uint8_t* cov) { blendSpan(surface.row(y), x0, x1, cov, color); }
    void run(int y, int x0, int x1, uint8_t c) {
        uint32_t* r = surface.row(y);
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

    void span(int y, int x0, int x1, const uint8_t* cov) {
        uint32_t* r = surface.row(y);
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
        uint32_t* r = surface.row(y);
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
        case Form::Linear: return (u + kGradientRadius) * (1.0f / kGradientSquare);
        case Form::Radial: return std::sqrt(u * u + v * v) * (1.0f / kGradientRadius);
        case Form::Focal: {
            // The ray from the focal point through (u, v) meets the circle at
            // s times the distance; the position is 1 / s.
            float x = u * (1.0f / kGradientRadius) - focal, y = v * (1.0f / kGradientRadius);
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
                      ? (gx + kGradientRadius) * (255.0f / kGradientSquare)
                      : -1.0f;
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
                uint32_t ag =
                    ((((a >> 8) & 0x00FF00FFu) * (256 - w) + ((b >> 8) & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
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
        case BlendMode::Overlay: mixed = cb <= 0.5f ? 2 * cs * cb : 1 - 2 * (1 - cs) * (1 - cb); break;
        case BlendMode::HardLight: mixed = cs <= 0.5f ? 2 * cs * cb : 1 - 2 * (1 - cs) * (1 - cb); break;
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
        uint32_t* r = surface.row(y);
        source.start(x0, y);
        for (int x = x0; x < x1; ++x) {
            uint32_t p = source.next(), c = cov[x - x0];
            if (c) r[x] = blendPixel(r[x], c == 255 ? p : scalePixel(p, c), mode);
        }
    }
    void run(int y, int x0, int x1, uint8_t c) {
        uint32_t* r = surface.row(y);
        source.start(x0, y);
        for (int x = x0; x < x1; ++x) {
            uint32_t p = source.next();
            r[x] = blendPixel(r[x], c == 255 ? p : scalePixel(p, c), mode);
        }
    }
};

// Paints what the rasteriser holds from the source, blended or over what is below.
template <class Source>
void paintFrom(const Source& source, CoverageRasterizer& rasterizer, const MaskView& mask, Surface& surface,
               BlendMode blend, bool blended, bool nonZero) {
    if (blended) {
        BlendingPainter<Source> painter{surface, source, blend};
        sweepThrough(rasterizer, mask, painter, nonZero);
    } else {
        SourcePainter<Source> painter{surface, source};
        sweepThrough(rasterizer, mask, painter, nonZero);
    }
}

}  // namespace

void paintFill(CoverageRasterizer& rasterizer, const MaskView& mask, const Movie& movie, const FillStyle& style,
               const DrawItem& item, Surface& surface, bool nonZero) {
    const ColorTransform& cx = item.colorTransform;
    bool blended = item.blend != BlendMode::Normal && item.blend != BlendMode::Layer;
    if (style.kind == FillStyle::Kind::Solid) {
        uint32_t color = premultiplied(cx.apply(style.color));
        if (color == 0) {
            rasterizer.discard();
        } else if (blended) {
            BlendingPainter<SolidSource> painter{surface, {color}, item.blend};
            sweepThrough(rasterizer, mask, painter, nonZero);
        } else {
            SolidPainter painter{surface, color};
            sweepThrough(rasterizer, mask, painter, nonZero);
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
        rasterizer.discard();
        return;
    }
    if (bitmap) {
        BitmapSource source{*bitmap, inv, style.repeat, style.smooth, cx.isIdentity() ? nullptr : &cx};
        paintFrom(source, rasterizer, mask, surface, item.blend, blended, nonZero);
        return;
    }
    uint32_t table[256];
    buildGradientTable(style, cx, table);
    using Form = GradientSource::Form;
    Form form = style.kind == FillStyle::Kind::Linear ? Form::Linear : style.focal != 0 ? Form::Focal : Form::Radial;
    GradientSource source{table, inv, form, style.spread, std::clamp(style.focal, -0.998f, 0.998f)};
    paintFrom(source, rasterizer, mask, surface, item.blend, blended, nonZero);
}

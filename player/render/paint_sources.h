#pragma once

#include "player/render/coverage_rasterizer.h"
#include "player/render/gradient_table.h"
#include "player/render/pixel_math.h"
#include "player/format/swf_movie.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// What a fill paints, a premultiplied colour a pixel: start(x, y) at a row's
// first pixel, then next() for each pixel to its right. The sources painted
// over what is below also tell, by constantOver, when a stretch of a row is
// one colour, which is then painted as a solid.

struct SolidSource {
    uint32_t color;
    void start(int, int) {}
    uint32_t next() { return color; }
};

// Gradients are drawn on a square of their own space, centred on its origin:
// a linear one runs across it from left to right, a radial one from the
// centre to the edge.
constexpr float kGradientSquare = 32768.0f;             // its side, in twips
constexpr float kGradientRadius = kGradientSquare / 2;  // half of it

// A gradient's colours from its table, at each pixel's place in the square.
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
        return gradientIndex(t * kLastGradientEntry);
    }
    void start(int x, int y) {
        float fx = x + 0.5f, fy = y + 0.5f;
        gx = inv.a * fx + inv.c * fy + inv.tx;
        gy = inv.b * fx + inv.d * fy + inv.ty;
    }
    uint32_t next() {
        float t = form == Form::Linear && spread == FillStyle::Spread::Pad
                      ? (gx + kGradientRadius) * (kLastGradientEntry / kGradientSquare)
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

// A bitmap's pixels, nearest or mixed from the four around, clamped at its
// edges or repeated.
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

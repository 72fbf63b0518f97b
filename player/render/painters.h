#pragma once

#include "player/render/blend_mode.h"
#include "player/render/draw_list.h"
#include "player/render/pixel_math.h"

#include <algorithm>
#include <cstdint>

// Painters receive the rasteriser's rows: varying coverage (span) or a
// constant coverage over a stretch (run).

// One colour over a row's pixels, each by its coverage.
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

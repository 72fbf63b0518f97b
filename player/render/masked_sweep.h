#pragma once

#include "player/render/coverage_rasterizer.h"

#include <cstddef>
#include <cstdint>

// The mask that paint is seen through: its coverage, surface-sized (null for
// none), and a row of scratch for the masked coverage.
struct MaskView {
    const uint8_t* coverage = nullptr;
    uint8_t* scratch = nullptr;
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

// Sweeps what the rasteriser holds into the painter, through the mask if any.
template <class Painter>
void sweepThrough(CoverageRasterizer& rasterizer, const MaskView& mask, Painter& painter, bool nonZero) {
    if (!mask.coverage) {
        rasterizer.sweep(painter, nonZero);
        return;
    }
    MaskedPainter<Painter> masked{painter, mask.coverage, rasterizer.width(), mask.scratch};
    rasterizer.sweep(masked, nonZero);
}

#pragma once

#include "player/render/coverage_rasterizer.h"
#include "player/format/swf_movie.h"

#include <cstdint>

// A gradient's colours at evenly spaced positions along it, its start at
// entry 0 and its end at the last; a stop's ratio is the entry it falls on.
constexpr int kGradientEntries = 256;
constexpr float kLastGradientEntry = kGradientEntries - 1;

// The gradient's premultiplied colours in the colour transform, mixed between
// its stops in sRGB or, where the style asks, in linear light.
void buildGradientTable(const FillStyle& style, const ColorTransform& cx, uint32_t table[kGradientEntries]);

// The entry for a position already scaled to the entries, the ends held.
inline int gradientIndex(float t) {
    if (!(t > 0)) return 0;
    if (t >= kLastGradientEntry) return kGradientEntries - 1;
    return roundToInt(t - 0.5f);
}

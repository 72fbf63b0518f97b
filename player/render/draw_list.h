#pragma once

#include "player/format/swf_movie.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// A 32-bit target: 0xAARRGGBB words (BGRA bytes in memory), rows `stride`
// words apart.
struct Surface {
    uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;

    uint32_t* row(int y) const { return pixels + static_cast<size_t>(y) * stride; }
};

// One shape to draw: its place on the surface, its colour transform, the
// mask it is seen through (an index into DrawList::masks, -1 for none) and
// how it blends with what is below.
struct DrawItem {
    const Shape* shape = nullptr;
    Matrix toDevice;  // shape twips -> surface pixels
    ColorTransform colorTransform;
    int mask = -1;
    BlendMode blend = BlendMode::Normal;
};

// The shapes whose filled area forms a mask, inside the mask it is itself
// seen through (parent), if any.
struct MaskItem {
    std::vector<std::pair<const Shape*, Matrix>> shapes;
    int parent = -1;
};

// What one frame draws, in surface pixels.
struct DrawList {
    std::vector<DrawItem> items;  // back to front
    std::vector<MaskItem> masks;
};

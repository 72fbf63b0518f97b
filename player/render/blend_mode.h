#pragma once

#include "player/format/swf_movie.h"

#include <cstdint>

// Whether a blend mode paints over what is below as normal does: normal,
// layer (a group, drawn as normal) and values no mode has. The modes from
// multiply to hard light mix with it.
constexpr bool paintsOver(BlendMode mode) { return mode < BlendMode::Multiply || mode > BlendMode::HardLight; }

// A blend mode's result for one premultiplied source pixel over the target.
uint32_t blendPixel(uint32_t dst, uint32_t src, BlendMode mode);

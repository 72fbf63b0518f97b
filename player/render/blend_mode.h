#pragma once

#include "player/format/swf_movie.h"

#include <cstdint>

// A blend mode's result for one premultiplied source pixel over the target.
uint32_t blendPixel(uint32_t dst, uint32_t src, BlendMode mode);

#pragma once

#include <cstdint>
#include <vector>

// Encodes 0xAARRGGBB pixels (opaque frames) as an RGB PNG.
std::vector<uint8_t> encodePng(const uint32_t* pixels, int width, int height, int stride);

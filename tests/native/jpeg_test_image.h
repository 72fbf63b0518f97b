#pragma once

#include <cstdint>
#include <vector>

// A baseline JPEG of 8-bit RGB pixels, written by stb's encoder: a writer
// independent of the player's decoder.
std::vector<uint8_t> encodeJpeg(const std::vector<uint8_t>& rgb, int width, int height);

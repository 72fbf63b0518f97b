#pragma once

#include <cstdint>
#include <vector>

// The movie format's ADPCM with 4-bit codes, from interleaved samples of the
// given channel count.
std::vector<uint8_t> encodeAdpcm(const std::vector<int16_t>& samples, unsigned channels);

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The compressed forms of movie bodies and of bitmap data.

// Inflates a zlib stream into exactly dstSize bytes; false when it yields fewer.
bool inflateExactly(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstSize);
// Inflates up to limit bytes, growing the output only as the stream really yields data.
bool inflateGrowing(const uint8_t* src, size_t srcSize, size_t limit, std::vector<uint8_t>& out);
// Decodes raw LZMA data with its 5 property bytes, up to limit bytes, growing
// the output only as the data really yields it.
bool lzmaDecodeGrowing(const uint8_t props[5], const uint8_t* src, size_t srcSize, size_t limit,
                       std::vector<uint8_t>& out);

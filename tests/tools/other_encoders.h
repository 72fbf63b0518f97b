#pragma once

#include <cstdint>
#include <vector>

// What other writers put in movies, made with encoders independent of the
// player's decoders: stb's JPEG encoder and the LZMA SDK's encoder.

// A baseline JPEG of 8-bit RGB pixels.
std::vector<uint8_t> encodeJpeg(const std::vector<uint8_t>& rgb, int width, int height);

// Splits a JPEG into its tables (quantisation and Huffman, as a JPEGTables tag
// holds them) and the rest.
void splitJpegTables(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& tables, std::vector<uint8_t>& image);

// An uncompressed movie's body packed with LZMA, as a ZWS file; empty when the
// encoder fails.
std::vector<uint8_t> lzmaMovie(const std::vector<uint8_t>& plain);

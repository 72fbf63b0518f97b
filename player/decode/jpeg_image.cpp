#include "player/decode/jpeg_image.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#include "stb_image.h"

#include <limits>
#include <vector>

namespace {

// Copies the marker segments of one part, leaving out start- and end-of-image
// markers; the scan and everything after it are copied as they are.
void appendSegments(const uint8_t* p, size_t size, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i + 1 < size) {
        if (p[i] != 0xFF) return;
        uint8_t marker = p[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;
            continue;
        }
        if (marker == 0xDA) {
            out.insert(out.end(), p + i, p + size);
            return;
        }
        if (i + 3 >= size) return;
        size_t length = (static_cast<size_t>(p[i + 2]) << 8) | p[i + 3];
        if (length < 2 || i + 2 + length > size) return;
        out.insert(out.end(), p + i, p + i + 2 + length);
        i += 2 + length;
    }
}

// The scans an image may have: the decoder passes over the whole image for
// each, and a progressive image needs about ten.
constexpr int kMaxScans = 64;

// Whether every Huffman table of the stream holds at most 256 codes (the
// decoder trusts the counts and writes one entry per code into tables of 257)
// and the scans are at most kMaxScans. Walks the marker segments and steps
// over each scan's coded data, where a 0xFF byte is followed by 0x00 or a
// restart marker.
bool segmentsFit(const std::vector<uint8_t>& stream) {
    const size_t size = stream.size();
    int scans = 0;
    size_t i = 2;
    while (i + 3 < size) {
        if (stream[i] != 0xFF) {
            ++i;  // coded data of a scan
            continue;
        }
        const uint8_t marker = stream[i + 1];
        if (marker == 0x00 || marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            i += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker == 0xDA && ++scans > kMaxScans) return false;
        const size_t length = (size_t(stream[i + 2]) << 8) | stream[i + 3];
        const size_t end = i + 2 + length;
        if (length < 2 || end > size) return marker != 0xC4;
        for (size_t t = i + 4; marker == 0xC4 && t < end;) {
            if (t + 17 > end) return false;
            size_t codes = 0;
            for (size_t c = 1; c <= 16; ++c) codes += stream[t + c];
            if (codes > 256 || t + 17 + codes > end) return false;
            t += 17 + codes;
        }
        i = end;
    }
    return true;
}

}  // namespace

bool decodeJpeg(const uint8_t* tables, size_t tablesSize, const uint8_t* data, size_t size, uint64_t maxPixels,
                Bitmap& out) {
    std::vector<uint8_t> stream = {0xFF, 0xD8};
    if (tables) appendSegments(tables, tablesSize, stream);
    appendSegments(data, size, stream);
    if (stream.size() > static_cast<size_t>(std::numeric_limits<int>::max()) || !segmentsFit(stream)) return false;
    int width = 0, height = 0, components = 0;
    int length = static_cast<int>(stream.size());
    if (!stbi_info_from_memory(stream.data(), length, &width, &height, &components)) return false;
    if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > maxPixels)
        return false;
    stbi_uc* rgb = stbi_load_from_memory(stream.data(), length, &width, &height, &components, 3);
    if (!rgb) return false;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const stbi_uc* p = rgb + 3 * i;
        out.pixels[i] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    stbi_image_free(rgb);
    return true;
}

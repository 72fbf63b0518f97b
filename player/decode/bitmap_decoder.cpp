#include "player/decode/jpeg_image.h"
#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

#include <algorithm>

namespace {

uint32_t premultiply(uint8_t a, uint8_t r, uint8_t g, uint8_t b, bool alreadyPremultiplied) {
    if (!alreadyPremultiplied) {
        r = static_cast<uint8_t>((r * a + 127) / 255);
        g = static_cast<uint8_t>((g * a + 127) / 255);
        b = static_cast<uint8_t>((b * a + 127) / 255);
    }
    r = std::min(r, a);
    g = std::min(g, a);
    b = std::min(b, a);
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

bool decodeLossless(BitReader& in, bool withAlpha, uint64_t maxPixels, Bitmap& bm) {
    uint8_t format = in.u8();
    int width = in.u16(), height = in.u16();
    if (in.overrun() || width == 0 || height == 0) return false;
    uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (pixels > maxPixels) return false;
    size_t paletteSize = 0, rowBytes = 0;
    if (format == 3) {
        paletteSize = static_cast<size_t>(in.u8()) + 1;
        rowBytes = (static_cast<size_t>(width) + 3) & ~size_t(3);
    } else if (format == 4 && !withAlpha) {
        rowBytes = (static_cast<size_t>(width) * 2 + 3) & ~size_t(3);
    } else if (format == 5) {
        rowBytes = static_cast<size_t>(width) * 4;
    } else {
        return false;
    }
    size_t entryBytes = withAlpha ? 4 : 3;
    size_t needed = paletteSize * entryBytes + rowBytes * height;
    if (needed > in.remaining() * kMostDeflateExpansion) return false;
    std::vector<uint8_t> raw(needed);
    if (!inflateExactly(in.here(), in.remaining(), raw.data(), raw.size())) return false;

    bm.width = width;
    bm.height = height;
    bm.pixels.resize(pixels);
    const uint8_t* image = raw.data() + paletteSize * entryBytes;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = image + rowBytes * y;
        uint32_t* out = bm.pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            if (format == 3) {
                size_t idx = row[x];
                if (idx >= paletteSize) {
                    out[x] = 0;
                    continue;
                }
                const uint8_t* p = raw.data() + idx * entryBytes;
                // Colour-mapped alpha entries are straight RGBA.
                out[x] =
                    withAlpha ? premultiply(p[3], p[0], p[1], p[2], false) : premultiply(255, p[0], p[1], p[2], true);
            } else if (format == 4) {
                unsigned v = (row[2 * x] << 8) | row[2 * x + 1];
                uint8_t r = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
                uint8_t g = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
                uint8_t b = static_cast<uint8_t>((v & 31) * 255 / 31);
                out[x] = premultiply(255, r, g, b, true);
            } else {
                const uint8_t* p = row + 4 * x;
                out[x] = premultiply(withAlpha ? p[0] : 255, p[1], p[2], p[3], true);
            }
        }
    }
    return true;
}

// A JPEG's alpha plane: one zlib-compressed byte per pixel. A missing or
// damaged plane leaves the image opaque.
void applyAlphaPlane(const uint8_t* data, size_t size, Bitmap& bm) {
    std::vector<uint8_t> alpha(bm.pixels.size());
    if (size == 0 || alpha.size() > size * kMostDeflateExpansion) return;
    if (!inflateExactly(data, size, alpha.data(), alpha.size())) return;
    for (size_t i = 0; i < alpha.size(); ++i) {
        uint32_t p = bm.pixels[i];
        bm.pixels[i] = premultiply(alpha[i], (p >> 16) & 255, (p >> 8) & 255, p & 255, false);
    }
}

}  // namespace

void decodeBitmap(MovieDecoder& d, BitReader& body, unsigned code) {
    if (code == SwfTag::JpegTables) {
        d.jpegTables.assign(body.here(), body.here() + body.remaining());
        return;
    }
    Character ch;
    ch.kind = Character::Kind::Bitmap;
    uint16_t id = body.u16();
    // Checked against the size before anything is decoded: a pixel costs far
    // more to decode than the bytes that declare it.
    const uint64_t maxPixels = std::min(kMaxBitmapPixels, d.workLeft * kBitmapPixelsPerUnit);
    bool ok = false;
    if (code == SwfTag::DefineBitsLossless || code == SwfTag::DefineBitsLossless2) {
        ok = decodeLossless(body, code == SwfTag::DefineBitsLossless2, maxPixels, ch.bitmap);
    } else if (code == SwfTag::DefineBits || code == SwfTag::DefineBitsJpeg2) {
        const std::vector<uint8_t>& tables = d.jpegTables;
        bool shared = code == SwfTag::DefineBits && !tables.empty();
        ok = !body.overrun() && decodeJpeg(shared ? tables.data() : nullptr, shared ? tables.size() : 0, body.here(),
                                           body.remaining(), maxPixels, ch.bitmap);
    } else {
        size_t imageSize = body.u32();
        if (code == SwfTag::DefineBitsJpeg4) body.u16();  // deblocking strength
        if (body.overrun() || imageSize > body.remaining()) return;
        if (imageSize == 0) imageSize = body.remaining();  // some writers leave the offset out, and the alpha with it
        const uint8_t* image = body.here();
        ok = decodeJpeg(nullptr, 0, image, imageSize, maxPixels, ch.bitmap);
        if (ok) applyAlphaPlane(image + imageSize, body.remaining() - imageSize, ch.bitmap);
    }
    if (ok && d.spend(ch.bitmap.pixels.size() / kBitmapPixelsPerUnit)) d.define(id, std::move(ch));
}

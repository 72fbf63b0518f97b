#include "other_encoders.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

#include "LzmaEnc.h"

#include <cstdlib>

using Bytes = std::vector<uint8_t>;

Bytes encodeJpeg(const Bytes& rgb, int width, int height) {
    Bytes out;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* bytes = static_cast<Bytes*>(context);
            bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &out, width, height, 3, rgb.data(), 95);
    return out;
}

void splitJpegTables(const Bytes& jpeg, Bytes& tables, Bytes& image) {
    tables = {0xFF, 0xD8};
    image = {0xFF, 0xD8};
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA) {
        size_t length = 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]);
        Bytes& to = jpeg[i + 1] == 0xDB || jpeg[i + 1] == 0xC4 ? tables : image;
        to.insert(to.end(), jpeg.begin() + i, jpeg.begin() + i + length);
        i += length;
    }
    image.insert(image.end(), jpeg.begin() + i, jpeg.end());
    tables.insert(tables.end(), {0xFF, 0xD9});
}

Bytes lzmaMovie(const Bytes& plain) {
    Bytes body(plain.begin() + 8, plain.end());
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    ISzAlloc alloc = {[](void*, size_t size) { return std::malloc(size); }, [](void*, void* p) { std::free(p); }};
    Bytes packed(body.size() * 2 + 1024);
    SizeT packedSize = packed.size(), propsSize = 5;
    uint8_t encodedProps[5];
    if (LzmaEncode(packed.data(), &packedSize, body.data(), body.size(), &props, encodedProps, &propsSize, 0, nullptr,
                   &alloc, &alloc) != SZ_OK)
        return {};
    Bytes out = {'Z', 'W', 'S', plain[3], plain[4], plain[5], plain[6], plain[7]};
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(packedSize >> (8 * i)));
    out.insert(out.end(), encodedProps, encodedProps + 5);
    out.insert(out.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
    return out;
}

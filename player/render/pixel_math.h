#pragma once

#include "player/format/swf_types.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// Arithmetic on premultiplied 0xAARRGGBB pixels.

// p scaled by f/255, each channel rounded; red and blue share a multiply, as
// do alpha and green.
inline uint32_t scalePixel(uint32_t p, uint32_t f) {
    uint32_t rb = (p & 0x00FF00FFu) * f + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((p >> 8) & 0x00FF00FFu) * f + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

// src painted over dst.
inline uint32_t over(uint32_t dst, uint32_t src) { return src + scalePixel(dst, 255 - (src >> 24)); }

inline uint32_t premultiplied(Rgba c) {
    uint32_t a = c.a;
    auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
    return (a << 24) | (mul(c.r) << 16) | (mul(c.g) << 8) | mul(c.b);
}

// A premultiplied pixel through a colour transform, which works on straight colour.
inline uint32_t transformPixel(uint32_t p, const ColorTransform& cx) {
    uint32_t a = p >> 24;
    if (a == 0 && cx.add[3] <= 0) return 0;
    auto unmul = [a](uint32_t v) {
        return static_cast<uint8_t>(a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0);
    };
    Rgba c{unmul((p >> 16) & 255), unmul((p >> 8) & 255), unmul(p & 255), static_cast<uint8_t>(a)};
    return premultiplied(cx.apply(c));
}

// An sRGB channel to linear light, 0..1, and back.
inline float toLinear(uint8_t v) {
    float c = v / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

inline uint8_t fromLinear(float c) {
    c = std::clamp(c, 0.0f, 1.0f);
    float v = c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

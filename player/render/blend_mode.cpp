#include "player/render/blend_mode.h"

#include <algorithm>
#include <cmath>

uint32_t blendPixel(uint32_t dst, uint32_t src, BlendMode mode) {
    float sa = (src >> 24) / 255.0f, da = (dst >> 24) / 255.0f;
    if (sa <= 0) return dst;
    float out[3];
    for (int i = 0; i < 3; ++i) {
        int shift = 16 - 8 * i;
        float s = ((src >> shift) & 255) / 255.0f, d = ((dst >> shift) & 255) / 255.0f;
        float cs = s / sa, cb = da > 0 ? d / da : 0, mixed;
        switch (mode) {
        case BlendMode::Multiply: mixed = cs * cb; break;
        case BlendMode::Screen: mixed = cs + cb - cs * cb; break;
        case BlendMode::Lighten: mixed = std::max(cs, cb); break;
        case BlendMode::Darken: mixed = std::min(cs, cb); break;
        case BlendMode::Difference: mixed = std::fabs(cs - cb); break;
        case BlendMode::Add: mixed = std::min(1.0f, cs + cb); break;
        case BlendMode::Subtract: mixed = std::max(0.0f, cb - cs); break;
        case BlendMode::Invert: mixed = 1.0f - cb; break;
        case BlendMode::Overlay: mixed = cb <= 0.5f ? 2 * cs * cb : 1 - 2 * (1 - cs) * (1 - cb); break;
        case BlendMode::HardLight: mixed = cs <= 0.5f ? 2 * cs * cb : 1 - 2 * (1 - cs) * (1 - cb); break;
        default: mixed = cs; break;
        }
        out[i] = s * (1 - da) + d * (1 - sa) + sa * da * mixed;
    }
    float a = sa + da - sa * da;
    auto channel = [a](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, a) * 255.0f + 0.5f); };
    return (static_cast<uint32_t>(a * 255.0f + 0.5f) << 24) | (channel(out[0]) << 16) | (channel(out[1]) << 8) |
           channel(out[2]);
}

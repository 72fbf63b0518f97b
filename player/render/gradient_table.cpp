#include "player/render/gradient_table.h"

#include "player/render/pixel_math.h"

#include <cstddef>

void buildGradientTable(const FillStyle& style, const ColorTransform& cx, uint32_t table[kGradientEntries]) {
    const auto& stops = style.stops;
    size_t k = 0;
    for (int i = 0; i < kGradientEntries; ++i) {
        while (k < stops.size() && stops[k].ratio < i) ++k;
        Rgba c;
        if (k == 0) {
            c = stops.front().color;
        } else if (k == stops.size()) {
            c = stops.back().color;
        } else {
            const GradientStop& a = stops[k - 1];
            const GradientStop& b = stops[k];
            float t = b.ratio == a.ratio ? 1.0f : float(i - a.ratio) / float(b.ratio - a.ratio);
            auto lerp = [t](uint8_t u, uint8_t v) { return static_cast<uint8_t>(u + (v - u) * t + 0.5f); };
            auto lerpLinear = [t](uint8_t u, uint8_t v) {
                float x = toLinear(u), y = toLinear(v);
                return fromLinear(x + (y - x) * t);
            };
            if (style.linearRgb)
                c = {lerpLinear(a.color.r, b.color.r), lerpLinear(a.color.g, b.color.g),
                     lerpLinear(a.color.b, b.color.b), lerp(a.color.a, b.color.a)};
            else
                c = {lerp(a.color.r, b.color.r), lerp(a.color.g, b.color.g), lerp(a.color.b, b.color.b),
                     lerp(a.color.a, b.color.a)};
        }
        table[i] = premultiplied(cx.apply(c));
    }
}

#include "player/format/swf_types.h"

#include <cmath>

bool Matrix::invert(Matrix& out) const {
    float det = a * d - b * c;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12f) return false;
    float inv = 1.0f / det;
    out.a = d * inv;
    out.b = -b * inv;
    out.c = -c * inv;
    out.d = a * inv;
    out.tx = -(out.a * tx + out.c * ty);
    out.ty = -(out.b * tx + out.d * ty);
    return true;
}

static uint8_t clampChannel(float v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<uint8_t>(v + 0.5f);
}

Rgba ColorTransform::apply(Rgba c) const {
    return {clampChannel(c.r * mul[0] + add[0]), clampChannel(c.g * mul[1] + add[1]),
            clampChannel(c.b * mul[2] + add[2]), clampChannel(c.a * mul[3] + add[3])};
}

ColorTransform ColorTransform::operator*(const ColorTransform& inner) const {
    ColorTransform out;
    for (int i = 0; i < 4; ++i) {
        out.mul[i] = mul[i] * inner.mul[i];
        out.add[i] = inner.add[i] * mul[i] + add[i];
    }
    return out;
}

bool ColorTransform::isIdentity() const {
    for (int i = 0; i < 4; ++i)
        if (mul[i] != 1 || add[i] != 0) return false;
    return true;
}

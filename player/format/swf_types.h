#pragma once

#include <cstdint>

// Basic value types of a movie. Coordinates are in twips (1/20 pixel) unless
// a name says otherwise.

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

struct TwipsRect {
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t width() const { return xMax - xMin; }
    int32_t height() const { return yMax - yMin; }
};

struct PointF {
    float x = 0, y = 0;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct Matrix {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    PointF apply(float x, float y) const { return {a * x + c * y + tx, b * x + d * y + ty}; }
    // this applied after inner.
    Matrix operator*(const Matrix& inner) const {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b,        a * inner.c + c * inner.d,
                b * inner.c + d * inner.d, a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
    bool invert(Matrix& out) const;
};

// Channel' = channel * mul + add, per channel r, g, b, a; add is in 0..255 units.
struct ColorTransform {
    float mul[4] = {1, 1, 1, 1};
    float add[4] = {0, 0, 0, 0};

    Rgba apply(Rgba c) const;
    // this applied after inner.
    ColorTransform operator*(const ColorTransform& inner) const;
    bool isIdentity() const;
};

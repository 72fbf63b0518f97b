#include "tools/moviec/drawing.h"

#include <cmath>

int32_t twips(double px) { return static_cast<int32_t>(std::lround(px * 20)); }

void Pen::ellipse(double cx, double cy, double rx, double ry) {
    double k = 1.0 / std::cos(kPi / 8);
    move(cx + rx, cy);
    for (int i = 1; i <= 8; ++i) {
        double a = i * kPi / 4, am = a - kPi / 8;
        curve(cx + rx * k * std::cos(am), cy + ry * k * std::sin(am), cx + rx * std::cos(a), cy + ry * std::sin(a));
    }
}

void Pen::roundedRect(double x, double y, double w, double h, double r) {
    move(x + r, y);
    line(x + w - r, y);
    curve(x + w, y, x + w, y + r);
    line(x + w, y + h - r);
    curve(x + w, y + h, x + w - r, y + h);
    line(x + r, y + h);
    curve(x, y + h, x, y + h - r);
    line(x, y + r);
    curve(x, y, x + r, y);
}

Rgba rgb(uint32_t hex, uint8_t alpha) {
    return {static_cast<uint8_t>(hex >> 16), static_cast<uint8_t>(hex >> 8), static_cast<uint8_t>(hex), alpha};
}

Matrix gradientBox(double x, double y, double w, double h, double angle) {
    double sx = twips(w) / 32768.0, sy = twips(h) / 32768.0;
    Matrix m;
    m.a = static_cast<float>(sx * std::cos(angle));
    m.b = static_cast<float>(sx * std::sin(angle));
    m.c = static_cast<float>(-sy * std::sin(angle));
    m.d = static_cast<float>(sy * std::cos(angle));
    m.tx = static_cast<float>(twips(x + w / 2));
    m.ty = static_cast<float>(twips(y + h / 2));
    return m;
}

std::vector<GradientStop> stops(std::initializer_list<std::pair<uint8_t, Rgba>> list) {
    std::vector<GradientStop> out;
    for (const auto& [ratio, color] : list) out.push_back({ratio, color});
    return out;
}

Matrix translate(double x, double y) {
    Matrix m;
    m.tx = static_cast<float>(x * 20);
    m.ty = static_cast<float>(y * 20);
    return m;
}

Matrix rotate(double angle) {
    Matrix m;
    m.a = m.d = static_cast<float>(std::cos(angle));
    m.b = static_cast<float>(std::sin(angle));
    m.c = -m.b;
    return m;
}

Matrix scale(double sx, double sy) {
    Matrix m;
    m.a = static_cast<float>(sx);
    m.d = static_cast<float>(sy);
    return m;
}

Keyframes& Keyframes::to(double time, double value) {
    keys_.push_back({time, value});
    return *this;
}

Keyframes& Keyframes::hold(double time) { return to(time, keys_.back().second); }

double Keyframes::at(double time) const {
    if (time <= keys_.front().first) return keys_.front().second;
    for (size_t i = 1; i < keys_.size(); ++i) {
        const auto& [t0, v0] = keys_[i - 1];
        const auto& [t1, v1] = keys_[i];
        if (time < t1) {
            double u = t1 > t0 ? (time - t0) / (t1 - t0) : 1.0;
            u = u * u * (3 - 2 * u);
            return v0 + (v1 - v0) * u;
        }
    }
    return keys_.back().second;
}

double pulse(double time, double period) { return 0.5 - 0.5 * std::cos(2 * kPi * time / period); }

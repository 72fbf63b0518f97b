#pragma once

#include "tools/writers/swf_writer.h"

#include <cstdint>
#include <utility>
#include <vector>

// Drawing helpers for the content movies. Every length here is in pixels of
// the 640 x 480 stage and becomes twips in the written shapes.
constexpr double kPi = 3.14159265358979323846;
constexpr double kStageWidth = 640, kStageHeight = 480;
constexpr float kFrameRate = 25.0f;

int32_t twips(double px);

// A path pen that takes pixel coordinates.
class Pen {
public:
    explicit Pen(ShapeBuilder& shape) : shape_(shape) {}
    void styles(uint32_t fill0, uint32_t fill1, uint32_t line) { shape_.setStyles(fill0, fill1, line); }
    void move(double x, double y) { shape_.moveTo(twips(x), twips(y)); }
    void line(double x, double y) { shape_.lineTo(twips(x), twips(y)); }
    void curve(double cx, double cy, double x, double y) { shape_.curveTo(twips(cx), twips(cy), twips(x), twips(y)); }
    // Closed outlines, drawn clockwise on screen so that their fill is fill1.
    void ellipse(double cx, double cy, double rx, double ry);
    void roundedRect(double x, double y, double w, double h, double r);

private:
    ShapeBuilder& shape_;
};

Rgba rgb(uint32_t hex, uint8_t alpha = 255);
// Maps the gradient square onto the box (pixels), turned by angle.
Matrix gradientBox(double x, double y, double w, double h, double angle = 0);
std::vector<GradientStop> stops(std::initializer_list<std::pair<uint8_t, Rgba>> list);

// Placement matrices in pixels: translation, rotation, scale.
Matrix translate(double x, double y);
Matrix rotate(double angle);
Matrix scale(double sx, double sy);

// A value animated by keyframes: each segment eases in and out from the
// previous key's value to its own.
class Keyframes {
public:
    explicit Keyframes(double initial) : keys_{{0.0, initial}} {}
    // Eases to value, arriving at time (seconds).
    Keyframes& to(double time, double value);
    // Keeps the last value until time.
    Keyframes& hold(double time);
    double at(double time) const;

private:
    std::vector<std::pair<double, double>> keys_;
};

// 0..1..0 once per period, eased; phase 0 starts at rest.
double pulse(double time, double period);

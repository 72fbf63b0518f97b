#include "scene/window_shape.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kDefaultMovieWidth = 800;
constexpr int kDefaultMovieHeight = 600;
// Larger numbers in the keys, the area or the client size are nonsense;
// capping them keeps the exact arithmetic within 64 bits and the placement
// within int.
constexpr long long kLargestFactor = 1'000'000;

long long capped(long long value) { return std::clamp(value, 0LL, kLargestFactor); }

}  // namespace

WindowPlacement shapeWindow(const std::string& mode, const std::string& originalSize, const ScreenArea& area,
                            int frameWidth, int frameHeight) {
    WindowPlacement placement;
    if (mode == "fullscreen") {
        placement = {WindowShape::Fullscreen, area.left, area.top, area.width(), area.height()};
        return placement;
    }
    if (mode == "maximized") {
        const int halfLeft = frameWidth / 2, halfRest = frameWidth - frameWidth / 2;
        placement = {WindowShape::Maximized, area.left - halfLeft, area.top - halfRest, area.width() + frameWidth,
                     area.height() + 2 * halfRest};
        return placement;
    }
    int numerator = 0, denominator = 0;
    std::sscanf(mode.c_str(), "%d/%d", &numerator, &denominator);
    // A zero, negative or unreadable fraction leaves the window as it is.
    if (denominator <= 0 || numerator <= 0) return placement;
    int movieWidth = kDefaultMovieWidth, movieHeight = kDefaultMovieHeight;
    std::sscanf(originalSize.c_str(), "%dx%d", &movieWidth, &movieHeight);
    if (movieWidth <= 0 || movieHeight <= 0) {
        movieWidth = kDefaultMovieWidth;
        movieHeight = kDefaultMovieHeight;
    }
    // The scale is the smaller of widthScale = area width * num / (movie width
    // * den) and its height twin, taken as exact fractions so that the
    // truncated client size does not depend on floating-point rounding. Every
    // factor is capped, so that each product fits in 64 bits.
    const long long num = capped(numerator), den = capped(denominator);
    const long long movieW = capped(movieWidth), movieH = capped(movieHeight);
    long long scaleTop = capped(static_cast<long long>(area.right) - area.left) * num, scaleBottom = movieW * den;
    const long long heightTop = capped(static_cast<long long>(area.bottom) - area.top) * num,
                    heightBottom = movieH * den;
    if (static_cast<long double>(heightTop) * scaleBottom < static_cast<long double>(scaleTop) * heightBottom) {
        scaleTop = heightTop;
        scaleBottom = heightBottom;
    }
    const long long width = capped(movieW * scaleTop / scaleBottom) + frameWidth;
    const long long height = capped(movieH * scaleTop / scaleBottom) + frameHeight;
    placement = {WindowShape::Fraction, static_cast<int>(area.right - width), static_cast<int>(area.bottom - height),
                 static_cast<int>(width), static_cast<int>(height)};
    return placement;
}

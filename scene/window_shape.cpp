#include "scene/window_shape.h"

#include <cstdio>

namespace {

constexpr int kDefaultMovieWidth = 800;
constexpr int kDefaultMovieHeight = 600;

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
    const double fraction = static_cast<double>(numerator) / denominator;
    const double sx = static_cast<double>(area.width()) / movieWidth * fraction;
    const double sy = static_cast<double>(area.height()) / movieHeight * fraction;
    const double scale = sy < sx ? sy : sx;
    const int width = static_cast<int>(movieWidth * scale) + frameWidth;
    const int height = static_cast<int>(movieHeight * scale) + frameHeight;
    placement = {WindowShape::Fraction, area.right - width, area.bottom - height, width, height};
    return placement;
}

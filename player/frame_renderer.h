#pragma once

#include "player/coverage_rasterizer.h"
#include "player/movie_player.h"

#include <cstdint>
#include <vector>

// A 32-bit target: 0xAARRGGBB words (BGRA bytes in memory), rows `stride`
// words apart.
struct Surface {
    uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// One shape to draw: its place on the surface and its colour transform.
struct DrawItem {
    const Shape* shape = nullptr;
    Matrix toDevice;  // shape twips -> surface pixels
    ColorTransform colorTransform;
};

// Maps the movie's frame into the surface with the whole frame visible and
// its proportions kept, centred.
Matrix showAllTransform(const Movie& movie, int width, int height);

// The shapes of the current frame, back to front.
std::vector<DrawItem> collectDrawItems(const MoviePlayer& player, const Matrix& stageToDevice);

class FrameRenderer {
public:
    // Fills the surface with the background colour and draws the frame on it.
    void render(const MoviePlayer& player, Surface& surface);
    void drawShape(const Movie& movie, const DrawItem& item, Surface& surface);

private:
    struct Segment {
        float x0, y0, x1, y1;
    };
    void flattenEdges(const Shape& shape, const Matrix& m);
    void fill(const Movie& movie, const FillStyle& style, const DrawItem& item, Surface& surface);
    void stroke(const std::vector<Segment>& polyline, float halfWidth, uint32_t color, Surface& surface);

    CoverageRasterizer rasterizer_;
    std::vector<std::vector<Segment>> fillSegments_;  // by fill style, oriented
    std::vector<std::vector<Segment>> lineSegments_;  // by line style
};

#pragma once

#include "player/render/coverage_rasterizer.h"
#include "player/render/draw_list.h"

#include <cstdint>
#include <vector>

// Maps the movie's frame into the surface with the whole frame visible and
// its proportions kept, centred.
Matrix showAllTransform(const Movie& movie, int width, int height);

class FrameRenderer {
public:
    // Fills the surface with the movie's background colour and draws the list on it.
    void render(const Movie& movie, const DrawList& list, Surface& surface);
    void drawShape(const Movie& movie, const DrawItem& item, Surface& surface);
    // Makes the given mask (-1: none) the one later shapes are seen through.
    void useMask(const DrawList& list, int mask, const Surface& surface);

private:
    struct Segment {
        float x0, y0, x1, y1;
        bool smoothStart = false;  // its start lies inside a flattened curve
    };
    void flattenEdges(const Shape& shape, const Matrix& m);
    // Paints what the rasteriser holds with the style.
    void fill(const Movie& movie, const FillStyle& style, const DrawItem& item, Surface& surface, bool nonZero);
    void outlineStroke(const std::vector<Segment>& segments, float halfWidth, const LineStyle& style);
    void addPolygon(const PointF* points, int count);
    void addDisc(float x, float y, float halfWidth);
    template <class Painter>
    void sweep(Painter& painter, bool nonZero);
    void renderMask(const DrawList& list, int mask, const Surface& surface);

    CoverageRasterizer rasterizer_;
    std::vector<std::vector<Segment>> fillSegments_;  // by fill style, oriented
    std::vector<std::vector<Segment>> lineSegments_;  // by line style
    int currentMask_ = -1;
    std::vector<uint8_t> mask_;         // the current mask's coverage, surface-sized
    std::vector<uint8_t> maskScratch_;  // an outer mask's coverage, then a row of masked coverage
};

#pragma once

#include "player/render/coverage_rasterizer.h"
#include "player/render/draw_list.h"
#include "player/render/masked_sweep.h"
#include "player/render/segment.h"

#include <cstdint>
#include <vector>

// Maps the movie's frame into the surface with the whole frame visible and
// its proportions kept, centred.
Matrix showAllTransform(const Movie& movie, int width, int height);

class FrameRenderer {
public:
    // The area a frame may paint, in surfaces: shapes past it are not drawn.
    static constexpr float kMaxCoveredSurfaces = 32;

    // Fills the surface with the movie's background colour and draws the list on it.
    void render(const Movie& movie, const DrawList& list, Surface& surface);
    void drawShape(const Movie& movie, const DrawItem& item, Surface& surface);
    // Makes the given mask (-1: none) the one later shapes are seen through.
    void useMask(const DrawList& list, int mask, const Surface& surface);

private:
    void flattenEdges(const Shape& shape, const Matrix& m);
    void renderMask(const DrawList& list, int mask, const Surface& surface);
    // The current mask, for painting through it.
    MaskView seenThrough();

    CoverageRasterizer rasterizer_;
    std::vector<std::vector<Segment>> fillSegments_;  // by fill style, oriented
    std::vector<std::vector<Segment>> lineSegments_;  // by line style
    int currentMask_ = -1;
    float covered_ = 0;                 // pixels of the frame's shapes' bounds, within the surface
    std::vector<uint8_t> mask_;         // the current mask's coverage, surface-sized
    std::vector<uint8_t> maskScratch_;  // an outer mask's coverage, then a row of masked coverage
};

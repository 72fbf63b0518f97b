#pragma once

#include "player/render/coverage_rasterizer.h"
#include "player/playback/movie_player.h"

#include <cstdint>
#include <vector>

// A 32-bit target: 0xAARRGGBB words (BGRA bytes in memory), rows `stride`
// words apart.
struct Surface {
    uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// One shape to draw: its place on the surface, its colour transform, the
// mask it is seen through (an index into DrawList::masks, -1 for none) and
// how it blends with what is below.
struct DrawItem {
    const Shape* shape = nullptr;
    Matrix toDevice;  // shape twips -> surface pixels
    ColorTransform colorTransform;
    int mask = -1;
    BlendMode blend = BlendMode::Normal;
};

// The shapes whose filled area forms a mask, inside the mask it is itself
// seen through (parent), if any.
struct MaskItem {
    std::vector<std::pair<const Shape*, Matrix>> shapes;
    int parent = -1;
};

struct DrawList {
    std::vector<DrawItem> items;  // back to front
    std::vector<MaskItem> masks;
};

// Maps the movie's frame into the surface with the whole frame visible and
// its proportions kept, centred.
Matrix showAllTransform(const Movie& movie, int width, int height);

// The shapes and masks of the current frame.
DrawList collectDrawList(const MoviePlayer& player, const Matrix& stageToDevice);

class FrameRenderer {
public:
    // Fills the surface with the background colour and draws the frame on it.
    void render(const MoviePlayer& player, Surface& surface);
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

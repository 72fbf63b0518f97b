#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Anti-aliased scanline rasteriser: lines add their signed area to a cell
// buffer; a sweep turns running sums into coverage (non-zero rule, clamped).
// Coordinates are device pixels; anything outside the clip size is dropped.
class CoverageRasterizer {
public:
    void reset(int width, int height);
    void addLine(float x0, float y0, float x1, float y1);
    bool empty() const { return top_ > bottom_; }

    // Calls paint(y, x0, x1, coverage) for each touched row, coverage[0] being
    // the value at x0; clears what it read, ready for the next path.
    template <class Paint>
    void sweep(Paint&& paint);

    int width() const { return width_; }
    int height() const { return height_; }

private:
    void addClippedLine(float x0, float y0, float x1, float y1);
    void extendToRightEdge(float y0, float y1);
    void accumulate(float x0, float y0, float x1, float y1);

    int width_ = 0, height_ = 0, stride_ = 0;
    std::vector<float> cells_;
    std::vector<int> rowMin_, rowMax_;
    std::vector<uint8_t> coverage_;
    int top_ = 1, bottom_ = 0;
};

template <class Paint>
void CoverageRasterizer::sweep(Paint&& paint) {
    for (int y = top_; y <= bottom_; ++y) {
        int x0 = rowMin_[y], x1 = rowMax_[y];
        if (x0 > x1) continue;
        x1 = x1 + 2 < width_ ? x1 + 2 : width_;
        float* row = cells_.data() + static_cast<size_t>(y) * stride_;
        float sum = 0;
        uint8_t* cov = coverage_.data();
        for (int x = x0; x < x1; ++x) {
            sum += row[x];
            row[x] = 0;
            float a = sum < 0 ? -sum : sum;
            cov[x - x0] = a >= 1.0f ? 255 : static_cast<uint8_t>(a * 255.0f + 0.5f);
        }
        for (int x = x1; x <= rowMax_[y] + 2 && x < stride_; ++x) row[x] = 0;
        rowMin_[y] = width_ + 2;
        rowMax_[y] = -1;
        if (x1 > x0) paint(y, x0, x1, cov);
    }
    top_ = height_;
    bottom_ = -1;
}

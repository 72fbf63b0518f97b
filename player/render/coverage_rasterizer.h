#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Anti-aliased scanline rasteriser: lines add their signed area to a cell
// buffer; a sweep turns running sums into coverage by the non-zero rule
// (clamped) or the even-odd rule.
// Coordinates are device pixels; anything outside the clip size is dropped.
class CoverageRasterizer {
public:
    void reset(int width, int height);
    void addLine(float x0, float y0, float x1, float y1);
    bool empty() const { return top_ > bottom_; }

    // Hands each touched row to the painter: painter.span(y, x0, x1, coverage)
    // where coverage varies (coverage[0] is at x0) and painter.run(y, x0, x1, c)
    // where it is a constant c > 0. Clears what it read, ready for the next path.
    template <class Painter>
    void sweep(Painter& painter, bool nonZero = true) {
        if (nonZero)
            sweepWith<false>(painter);
        else
            sweepWith<true>(painter);
    }
    void discard();

    int width() const { return width_; }
    int height() const { return height_; }

private:
    template <bool EvenOdd, class Painter>
    void sweepWith(Painter& painter);
    void addClippedLine(float x0, float y0, float x1, float y1);
    void extendToRightEdge(float y0, float y1);
    void accumulate(float x0, float y0, float x1, float y1);

    int width_ = 0, height_ = 0, stride_ = 0;
    std::vector<float> cells_;
    std::vector<int> rowMin_, rowMax_;
    std::vector<uint8_t> touched_;  // per row, one flag per block of 16 cells
    int blocksPerRow_ = 0;
    std::vector<uint8_t> coverage_;
    int top_ = 1, bottom_ = 0;
};

// Float to int conversions for values within +-2^22: the integer is added
// into the low bits of a float's mantissa. A plain conversion costs two
// switches of the FPU control word in 32-bit builds without SSE, more than
// the rest of a pixel's work.
inline int roundToInt(float v) {
    float shifted = v + 12582912.0f;  // 1.5 * 2^23
    int32_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return bits - 0x4B400000;
}
inline int floorToInt(float v) {
    int i = roundToInt(v);
    return static_cast<float>(i) > v ? i - 1 : i;
}
inline int ceilToInt(float v) {
    int i = roundToInt(v);
    return static_cast<float>(i) < v ? i + 1 : i;
}

inline uint8_t coverageOf(float sum) {
    float a = sum < 0 ? -sum : sum;
    return a >= 1.0f ? 255 : static_cast<uint8_t>(roundToInt(a * 255.0f));
}

inline uint8_t evenOddCoverageOf(float sum) {
    float a = sum < 0 ? -sum : sum;
    if (a >= 2.0f) a -= 2.0f * std::floor(a * 0.5f);
    if (a > 1.0f) a = 2.0f - a;
    return static_cast<uint8_t>(roundToInt(a * 255.0f));
}

template <bool EvenOdd, class Painter>
void CoverageRasterizer::sweepWith(Painter& painter) {
    auto coverage = [](float sum) { return EvenOdd ? evenOddCoverageOf(sum) : coverageOf(sum); };
    for (int y = top_; y <= bottom_; ++y) {
        int x0 = rowMin_[y], last = rowMax_[y];
        if (x0 > last) continue;
        int xEnd = last + 1 < width_ ? last + 1 : width_;
        float* row = cells_.data() + static_cast<size_t>(y) * stride_;
        uint8_t* marks = touched_.data() + static_cast<size_t>(y) * blocksPerRow_;
        uint8_t* cov = coverage_.data();
        float sum = 0;
        int x = x0, varying = -1;
        while (x < xEnd) {
            int blockEnd = ((x >> 4) + 1) << 4;
            if (blockEnd > xEnd) blockEnd = xEnd;
            if (marks[x >> 4]) {
                marks[x >> 4] = 0;
                if (varying < 0) varying = x;
                for (; x < blockEnd; ++x) {
                    sum += row[x];
                    row[x] = 0;
                    cov[x - varying] = coverage(sum);
                }
                continue;
            }
            if (varying >= 0) {
                painter.span(y, varying, x, cov);
                varying = -1;
            }
            int runEnd = blockEnd;
            while (runEnd < xEnd && !marks[runEnd >> 4]) runEnd = runEnd + 16 < xEnd ? runEnd + 16 : xEnd;
            uint8_t c = coverage(sum);
            if (c) painter.run(y, x, runEnd, c);
            x = runEnd;
        }
        if (varying >= 0) painter.span(y, varying, x, cov);
        for (int i = xEnd; i <= last + 1 && i < stride_; ++i) row[i] = 0;
        for (int b = xEnd >> 4; b <= (last + 1) >> 4 && b < blocksPerRow_; ++b) marks[b] = 0;
        rowMin_[y] = width_ + 2;
        rowMax_[y] = -1;
    }
    top_ = height_;
    bottom_ = -1;
}

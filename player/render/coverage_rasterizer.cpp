#include "player/render/coverage_rasterizer.h"

#include <algorithm>
#include <cmath>

void CoverageRasterizer::reset(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    stride_ = width_ + 3;
    size_t cells = static_cast<size_t>(stride_) * height_;
    if (cells_.size() != cells) cells_.assign(cells, 0.0f);
    rowMin_.assign(height_, width_ + 2);
    rowMax_.assign(height_, -1);
    blocksPerRow_ = (stride_ >> 4) + 1;
    touched_.assign(static_cast<size_t>(blocksPerRow_) * height_, 0);
    coverage_.resize(stride_);
    top_ = height_;
    bottom_ = -1;
}

void CoverageRasterizer::addLine(float x0, float y0, float x1, float y1) {
    if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) return;
    if (y0 == y1) return;
    float h = static_cast<float>(height_);
    if ((y0 <= 0 && y1 <= 0) || (y0 >= h && y1 >= h)) return;
    // Clip to the rows first so that far-away coordinates stay exact enough.
    auto xAt = [&](float y) { return x0 + (x1 - x0) * ((y - y0) / (y1 - y0)); };
    float ya = y0, xa = x0, yb = y1, xb = x1;
    if (ya < 0) {
        xa = xAt(0);
        ya = 0;
    }
    if (ya > h) {
        xa = xAt(h);
        ya = h;
    }
    if (yb < 0) {
        xb = xAt(0);
        yb = 0;
    }
    if (yb > h) {
        xb = xAt(h);
        yb = h;
    }
    addClippedLine(xa, ya, xb, yb);
}

// Splits at x = 0 and x = width; parts left of 0 are pressed onto column 0,
// where they still cover everything to their right.
void CoverageRasterizer::addClippedLine(float x0, float y0, float x1, float y1) {
    float w = static_cast<float>(width_);
    float cuts[2];
    int n = 0;
    float lo = std::min(x0, x1), hi = std::max(x0, x1);
    if (lo < 0 && hi > 0) cuts[n++] = 0;
    if (lo < w && hi > w) cuts[n++] = w;
    if (n == 2 && x0 > x1) std::swap(cuts[0], cuts[1]);
    float px = x0, py = y0;
    for (int i = 0; i <= n; ++i) {
        float qx, qy;
        if (i < n) {
            qx = cuts[i];
            qy = y0 + (y1 - y0) * ((qx - x0) / (x1 - x0));
        } else {
            qx = x1;
            qy = y1;
        }
        float mx = 0.5f * (px + qx);
        if (mx < w)
            accumulate(std::clamp(px, 0.0f, w), py, std::clamp(qx, 0.0f, w), qy);
        else
            extendToRightEdge(py, qy);
        px = qx;
        py = qy;
    }
}

void CoverageRasterizer::accumulate(float x0, float y0, float x1, float y1) {
    if (y0 == y1) return;
    float dir = 1.0f;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        dir = -1.0f;
    }
    float dxdy = (x1 - x0) / (y1 - y0);
    float x = x0;
    int yStart = std::max(0, floorToInt(y0));
    int yEnd = std::min(height_, ceilToInt(y1));
    top_ = std::min(top_, yStart);
    bottom_ = std::max(bottom_, yEnd - 1);
    float wMax = static_cast<float>(width_);
    for (int y = yStart; y < yEnd; ++y) {
        float* row = cells_.data() + static_cast<size_t>(y) * stride_;
        uint8_t* marks = touched_.data() + static_cast<size_t>(y) * blocksPerRow_;
        float dy = std::min(static_cast<float>(y + 1), y1) - std::max(static_cast<float>(y), y0);
        float xnext = std::clamp(x + dxdy * dy, 0.0f, wMax);
        float d = dy * dir;
        float xa = std::min(x, xnext), xb = std::max(x, xnext);
        int xai = floorToInt(xa);
        float xaFloor = static_cast<float>(xai);
        int xbi = ceilToInt(xb);
        float xbCeil = static_cast<float>(xbi);
        rowMin_[y] = std::min(rowMin_[y], xai);
        if (xbi <= xai + 1) {
            float xmf = 0.5f * (x + xnext) - xaFloor;
            row[xai] += d - d * xmf;
            row[xai + 1] += d * xmf;
            rowMax_[y] = std::max(rowMax_[y], xai + 1);
            marks[xai >> 4] = 1;
            marks[(xai + 1) >> 4] = 1;
        } else {
            float s = 1.0f / (xb - xa);
            float xaf = xa - xaFloor;
            float a0 = 0.5f * s * (1.0f - xaf) * (1.0f - xaf);
            float xbf = xb - xbCeil + 1.0f;
            float am = 0.5f * s * xbf * xbf;
            row[xai] += d * a0;
            if (xbi == xai + 2) {
                row[xai + 1] += d * (1.0f - a0 - am);
            } else {
                float a1 = s * (1.5f - xaf);
                row[xai + 1] += d * (a1 - a0);
                for (int xi = xai + 2; xi < xbi - 1; ++xi) row[xi] += d * s;
                float a2 = a1 + static_cast<float>(xbi - xai - 3) * s;
                row[xbi - 1] += d * (1.0f - a2 - am);
            }
            row[xbi] += d * am;
            rowMax_[y] = std::max(rowMax_[y], xbi);
            for (int b = xai >> 4; b <= xbi >> 4; ++b) marks[b] = 1;
        }
        x = xnext;
    }
}

// A part right of the surface adds nothing visible, but the rows it crosses
// must be swept to the right edge, where its partner edge is missing.
void CoverageRasterizer::extendToRightEdge(float y0, float y1) {
    if (y0 > y1) std::swap(y0, y1);
    int yStart = std::max(0, floorToInt(y0));
    int yEnd = std::min(height_, ceilToInt(y1));
    for (int y = yStart; y < yEnd; ++y) rowMax_[y] = width_;
    if (yStart < yEnd) {
        top_ = std::min(top_, yStart);
        bottom_ = std::max(bottom_, yEnd - 1);
    }
}

void CoverageRasterizer::discard() {
    struct Nothing {
        void span(int, int, int, const uint8_t*) {}
        void run(int, int, int, uint8_t) {}
    } nothing;
    sweep(nothing);
}

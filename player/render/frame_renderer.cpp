#include "player/render/frame_renderer.h"

#include "player/render/paint.h"
#include "player/render/stroke.h"

#include <algorithm>
#include <cmath>

namespace {

// Coverage of a mask, taken as the largest coverage of any of its fills.
struct MaskPainter {
    uint8_t* mask;
    int stride;

    void span(int y, int x0, int x1, const uint8_t* cov) {
        uint8_t* row = mask + static_cast<size_t>(y) * stride;
        for (int x = x0; x < x1; ++x) row[x] = std::max(row[x], cov[x - x0]);
    }
    void run(int y, int x0, int x1, uint8_t c) {
        uint8_t* row = mask + static_cast<size_t>(y) * stride;
        for (int x = x0; x < x1; ++x) row[x] = std::max(row[x], c);
    }
};

}  // namespace

Matrix showAllTransform(const Movie& movie, int width, int height) {
    float mw = static_cast<float>(movie.frameRect.width());
    float mh = static_cast<float>(movie.frameRect.height());
    Matrix m;
    if (mw <= 0 || mh <= 0 || width <= 0 || height <= 0) {
        m.a = m.d = 1.0f / 20.0f;
        return m;
    }
    float s = std::min(width / mw, height / mh);
    m.a = m.d = s;
    m.tx = (width - mw * s) * 0.5f - movie.frameRect.xMin * s;
    m.ty = (height - mh * s) * 0.5f - movie.frameRect.yMin * s;
    return m;
}

void FrameRenderer::render(const Movie& movie, const DrawList& list, Surface& surface) {
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return;
    uint32_t bg =
        0xFF000000u | (uint32_t(movie.background.r) << 16) | (uint32_t(movie.background.g) << 8) | movie.background.b;
    for (int y = 0; y < surface.height; ++y) std::fill_n(surface.row(y), surface.width, bg);
    currentMask_ = -1;
    covered_ = 0;
    for (const DrawItem& item : list.items) {
        useMask(list, item.mask, surface);
        drawShape(movie, item, surface);
    }
    currentMask_ = -1;
}

MaskView FrameRenderer::seenThrough() {
    if (currentMask_ < 0) return {};
    return {mask_.data(), maskScratch_.data()};
}

void FrameRenderer::useMask(const DrawList& list, int mask, const Surface& surface) {
    if (mask == currentMask_) return;
    currentMask_ = -1;
    if (mask < 0 || mask >= static_cast<int>(list.masks.size())) return;
    if (rasterizer_.width() != surface.width || rasterizer_.height() != surface.height)
        rasterizer_.reset(surface.width, surface.height);
    renderMask(list, mask, surface);
    currentMask_ = mask;
}

// The mask's own coverage, times that of the masks it lies in (the nearest
// few; deeper nesting is ignored so the work per mask stays bounded).
void FrameRenderer::renderMask(const DrawList& list, int mask, const Surface& surface) {
    constexpr int kMaxMaskNesting = 8;
    size_t size = static_cast<size_t>(surface.width) * surface.height;
    auto coverageOf = [&](const MaskItem& item, std::vector<uint8_t>& out) {
        out.assign(size, 0);
        MaskPainter painter{out.data(), surface.width};
        for (const auto& [shape, toDevice] : item.shapes) {
            flattenEdges(*shape, toDevice);
            for (size_t i = 1; i < fillSegments_.size(); ++i) {
                if (fillSegments_[i].empty()) continue;
                for (const Segment& s : fillSegments_[i]) rasterizer_.addLine(s.x0, s.y0, s.x1, s.y1);
                rasterizer_.sweep(painter, shape->nonZero);
            }
        }
    };
    coverageOf(list.masks[mask], mask_);
    // Masks are listed after the masks they lie in, so the chain ends.
    for (int level = 0, inner = mask, outer = list.masks[mask].parent;
         outer >= 0 && outer < inner && level < kMaxMaskNesting;
         ++level, inner = outer, outer = list.masks[outer].parent) {
        coverageOf(list.masks[outer], maskScratch_);
        for (size_t i = 0; i < size; ++i) mask_[i] = static_cast<uint8_t>((mask_[i] * maskScratch_[i] + 127) / 255);
    }
    maskScratch_.resize(static_cast<size_t>(surface.width) + 3);
}

void FrameRenderer::flattenEdges(const Shape& shape, const Matrix& m) {
    fillSegments_.resize(shape.fills.size() + 1);
    lineSegments_.resize(shape.lines.size() + 1);
    for (auto& v : fillSegments_) v.clear();
    for (auto& v : lineSegments_) v.clear();
    // Segments are oriented with their fill's inside on the right (y down);
    // a mirroring matrix swaps the sides.
    float inside = m.a * m.d - m.b * m.c < 0 ? -1.0f : 1.0f;
    // Where two fills share an edge, the one drawn first reaches under the
    // other by a pixel and a half: the later fill's anti-aliased edge then blends
    // with it, not with what lies below the shape.
    auto reachUnder = [&](std::vector<Segment>& out, PointF p, PointF q) {
        float dx = q.x - p.x, dy = q.y - p.y;
        float len = std::sqrt(dx * dx + dy * dy);
        if (!(len > 1e-6f) || !std::isfinite(len)) {
            out.push_back({p.x, p.y, q.x, q.y});
            return;
        }
        float k = 1.5f * inside / len;
        float ox = dy * k, oy = -dx * k;  // away from the inside
        out.push_back({p.x, p.y, p.x + ox, p.y + oy});
        out.push_back({p.x + ox, p.y + oy, q.x + ox, q.y + oy});
        out.push_back({q.x + ox, q.y + oy, q.x, q.y});
    };
    auto emit = [&](const ShapeEdge& e, PointF a, PointF b) {
        if (e.fill0 && e.fill1 && e.fill0 != e.fill1) {
            if (e.fill1 < e.fill0) {
                reachUnder(fillSegments_[e.fill1], a, b);
                fillSegments_[e.fill0].push_back({b.x, b.y, a.x, a.y});
            } else {
                fillSegments_[e.fill1].push_back({a.x, a.y, b.x, b.y});
                reachUnder(fillSegments_[e.fill0], b, a);
            }
        } else if (e.fill0 != e.fill1) {
            if (e.fill1) fillSegments_[e.fill1].push_back({a.x, a.y, b.x, b.y});
            if (e.fill0) fillSegments_[e.fill0].push_back({b.x, b.y, a.x, a.y});
        }
        if (e.line) lineSegments_[e.line].push_back({a.x, a.y, b.x, b.y});
    };
    for (const ShapeEdge& e : shape.edges) {
        PointF p0 = m.apply(e.from.x, e.from.y);
        PointF p2 = m.apply(e.to.x, e.to.y);
        if (!e.curved) {
            emit(e, p0, p2);
            continue;
        }
        PointF p1 = m.apply(e.control.x, e.control.y);
        float ddx = p0.x - 2 * p1.x + p2.x, ddy = p0.y - 2 * p1.y + p2.y;
        float dd = std::sqrt(ddx * ddx + ddy * ddy);
        // Chord error of n equal steps is dd / (4 n^2); keep it under 0.1 px.
        int n = std::isfinite(dd) ? static_cast<int>(std::ceil(std::min(std::sqrt(dd * 2.5f), 64.0f))) : 1;
        n = std::clamp(n, 1, 64);
        PointF prev = p0;
        for (int i = 1; i <= n; ++i) {
            float t = static_cast<float>(i) / n, u = 1 - t;
            PointF q = i == n ? p2
                              : PointF{u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                                       u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y};
            emit(e, prev, q);
            if (e.line && i > 1) lineSegments_[e.line].back().smoothStart = true;
            prev = q;
        }
    }
}

void FrameRenderer::drawShape(const Movie& movie, const DrawItem& item, Surface& surface) {
    const Shape& shape = *item.shape;
    if (item.colorTransform.mul[3] <= 0 && item.colorTransform.add[3] <= 0) return;
    if (rasterizer_.width() != surface.width || rasterizer_.height() != surface.height)
        rasterizer_.reset(surface.width, surface.height);

    // Skip shapes that lie wholly outside the surface.
    const Matrix& m = item.toDevice;
    float scale = std::sqrt(std::fabs(m.a * m.d - m.b * m.c));
    float margin = 0;
    for (const LineStyle& l : shape.lines)
        margin =
            std::max(margin, l.width * scale * 0.5f * (l.join == LineStyle::Join::Miter ? l.miterLimit : 1.5f) + 1.0f);
    const TwipsRect& b = shape.bounds;
    PointF corners[4] = {m.apply(b.xMin, b.yMin), m.apply(b.xMax, b.yMin), m.apply(b.xMin, b.yMax),
                         m.apply(b.xMax, b.yMax)};
    float minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const PointF& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    if (maxX + margin < 0 || maxY + margin < 0 || minX - margin > surface.width || minY - margin > surface.height)
        return;
    auto within = [](float v, int size) { return std::clamp(v, 0.0f, static_cast<float>(size)); };
    covered_ += (within(maxX + margin, surface.width) - within(minX - margin, surface.width)) *
                (within(maxY + margin, surface.height) - within(minY - margin, surface.height));
    if (!(covered_ <= kMaxCoveredSurfaces * surface.width * surface.height)) return;

    flattenEdges(shape, m);
    for (size_t i = 1; i < fillSegments_.size(); ++i) {
        if (fillSegments_[i].empty()) continue;
        for (const Segment& s : fillSegments_[i]) rasterizer_.addLine(s.x0, s.y0, s.x1, s.y1);
        paintFill(rasterizer_, seenThrough(), movie, shape.fills[i - 1], item, surface, shape.nonZero);
    }
    for (size_t i = 1; i < lineSegments_.size(); ++i) {
        if (lineSegments_[i].empty()) continue;
        const LineStyle& style = shape.lines[i - 1];
        float halfWidth = std::max(0.5f, style.width * scale * 0.5f);
        if (!std::isfinite(halfWidth)) continue;
        addStrokeOutline(rasterizer_, lineSegments_[i], std::min(halfWidth, 1e5f), style);
        FillStyle paint;
        paint.color = style.color;
        paintFill(rasterizer_, seenThrough(), movie, style.fill ? *style.fill : paint, item, surface, true);
    }
}

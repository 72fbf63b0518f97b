#include "player/render/stroke.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;

// Adds a polygon with a fixed orientation, so that overlapping parts of one
// stroke add up instead of cancelling under the non-zero rule.
void addPolygon(CoverageRasterizer& rasterizer, const PointF* points, int count) {
    float area = 0;
    for (int i = 0; i < count; ++i) {
        const PointF &p = points[i], &q = points[(i + 1) % count];
        area += p.x * q.y - q.x * p.y;
    }
    for (int i = 0; i < count; ++i) {
        const PointF &p = points[i], &q = points[(i + 1) % count];
        if (area >= 0)
            rasterizer.addLine(p.x, p.y, q.x, q.y);
        else
            rasterizer.addLine(q.x, q.y, p.x, p.y);
    }
}

void addDisc(CoverageRasterizer& rasterizer, float cx, float cy, float hw) {
    // Enough corners to keep the outline within 0.1 pixel of the circle.
    PointF points[64];
    int n = std::clamp(static_cast<int>(std::ceil(kPi / std::acos(std::max(0.0f, 1.0f - 0.1f / hw)))), 8, 64);
    for (int i = 0; i < n; ++i) {
        float a = 2 * kPi * i / n;
        points[i] = {cx + hw * std::cos(a), cy - hw * std::sin(a)};
    }
    addPolygon(rasterizer, points, n);
}

// The segment's unit direction; false when it is too short to have one.
bool direction(const Segment& s, float& dx, float& dy) {
    dx = s.x1 - s.x0;
    dy = s.y1 - s.y0;
    float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 1e-6f)) return false;
    dx /= len;
    dy /= len;
    return true;
}

// A cap at an open end (x, y); (dx, dy) points outwards.
void addCap(CoverageRasterizer& rasterizer, float x, float y, float dx, float dy, float hw, LineStyle::Cap kind) {
    if (kind == LineStyle::Cap::Round) {
        if (hw > 1.0f) addDisc(rasterizer, x, y, hw);
    } else if (kind == LineStyle::Cap::Square) {
        float nx = -dy * hw, ny = dx * hw, ex = dx * hw, ey = dy * hw;
        PointF quad[4] = {{x + nx, y + ny}, {x + nx + ex, y + ny + ey}, {x - nx + ex, y - ny + ey}, {x - nx, y - ny}};
        addPolygon(rasterizer, quad, 4);
    }
}

// The join where `in` ends and `out` starts; a smooth one (inside a
// flattened curve) is bevelled whatever the style.
void addJoin(CoverageRasterizer& rasterizer, const Segment& in, const Segment& out, bool smooth, float hw,
             const LineStyle& style) {
    float ax, ay, bx, by;
    if (!direction(in, ax, ay) || !direction(out, bx, by)) return;
    if (ax * bx + ay * by > 0.9999f) return;
    float x = out.x0, y = out.y0;
    if (style.join == LineStyle::Join::Round && !smooth) {
        if (hw > 1.0f)
            addDisc(rasterizer, x, y, hw);
        else
            smooth = true;
    }
    if (style.join == LineStyle::Join::Round && !smooth) return;
    // The outer side is the one the path turns away from.
    float side = ax * by - ay * bx > 0 ? -1.0f : 1.0f;
    PointF p{x, y}, a{x - ay * hw * side, y + ax * hw * side}, b{x - by * hw * side, y + bx * hw * side};
    if (style.join == LineStyle::Join::Miter && !smooth) {
        float mx = a.x + b.x - 2 * x, my = a.y + b.y - 2 * y;
        float half = std::sqrt(mx * mx + my * my) / (2 * hw);  // cosine of half the turn between the normals
        if (half > 1e-4f && 1.0f / half <= style.miterLimit) {
            float k = hw / half / (2 * hw * half);
            PointF tip{x + mx * k, y + my * k};
            PointF quad[4] = {p, a, tip, b};
            addPolygon(rasterizer, quad, 4);
            return;
        }
    }
    PointF triangle[3] = {p, a, b};
    addPolygon(rasterizer, triangle, 3);
}

// The caps at both ends of the open path segments[begin, end), at its first
// and last segments that have a direction.
void addCaps(CoverageRasterizer& rasterizer, const std::vector<Segment>& segments, size_t begin, size_t end, float hw,
             const LineStyle& style) {
    float dx, dy;
    for (size_t i = begin; i < end; ++i)
        if (direction(segments[i], dx, dy)) {
            addCap(rasterizer, segments[i].x0, segments[i].y0, -dx, -dy, hw, style.startCap);
            break;
        }
    for (size_t i = end; i-- > begin;)
        if (direction(segments[i], dx, dy)) {
            addCap(rasterizer, segments[i].x1, segments[i].y1, dx, dy, hw, style.endCap);
            break;
        }
}

}  // namespace

void addStrokeOutline(CoverageRasterizer& rasterizer, const std::vector<Segment>& segments, float hw,
                      const LineStyle& style) {
    size_t begin = 0;
    while (begin < segments.size()) {
        size_t end = begin + 1;
        while (end < segments.size() && segments[end].x0 == segments[end - 1].x1 &&
               segments[end].y0 == segments[end - 1].y1)
            ++end;
        bool drawn = false;
        for (size_t i = begin; i < end; ++i) {
            const Segment& s = segments[i];
            float dx, dy;
            if (!direction(s, dx, dy)) continue;
            drawn = true;
            float nx = -dy * hw, ny = dx * hw;
            PointF quad[4] = {{s.x0 + nx, s.y0 + ny},
                              {s.x1 + nx, s.y1 + ny},
                              {s.x1 - nx, s.y1 - ny},
                              {s.x0 - nx, s.y0 - ny}};
            addPolygon(rasterizer, quad, 4);
            if (i > begin) addJoin(rasterizer, segments[i - 1], s, s.smoothStart, hw, style);
        }
        const Segment &first = segments[begin], &last = segments[end - 1];
        bool closed = end - begin > 1 && first.x0 == last.x1 && first.y0 == last.y1;
        if (!drawn) {
            if (style.startCap == LineStyle::Cap::Round) addDisc(rasterizer, first.x0, first.y0, hw);
        } else if (closed && style.closes) {
            addJoin(rasterizer, last, first, false, hw, style);
        } else {
            addCaps(rasterizer, segments, begin, end, hw, style);
        }
        begin = end;
    }
}

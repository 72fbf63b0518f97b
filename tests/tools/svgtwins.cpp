// svgtwins DIR: writes pictures twice, as a movie (the player's SWF writer)
// and as SVG, so that another rasteriser can draw the reference: gradient
// spreads and focal points, line caps, joins and stroke fills, fill rules.
#include "tests/tools/movie_parts.h"
#include "tools/writers/swf_writer.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;  // twips: 200 x 150 pixels

std::string rgb(Rgba c) {
    return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// One picture: a path in twips with a fill or a stroke, in both forms.
struct Picture {
    std::string name;
    std::vector<std::pair<int, int>> points;  // a polyline; closed when filled
    std::optional<FillStyle> fill = {};
    std::optional<LineStyle> line = {};
    bool nonZero = false;
    std::vector<std::vector<std::pair<int, int>>> extraContours = {};
};

std::string gradientSvg(const FillStyle& f) {
    std::ostringstream out;
    static const char* const kSpreads[] = {"pad", "reflect", "repeat"};
    // The pictures' gradients are scaled and moved, never turned: the
    // geometry is given in place, without a gradient transform.
    const Matrix& m = f.matrix;
    float r = 16384 * m.a;
    if (f.kind == FillStyle::Kind::Linear)
        out << "<linearGradient id='g' gradientUnits='userSpaceOnUse' x1='" << m.tx - r << "' y1='" << m.ty << "' x2='"
            << m.tx + r << "' y2='" << m.ty << "'";
    else
        out << "<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='" << m.tx << "' cy='" << m.ty << "' r='" << r
            << "' fx='" << m.tx + f.focal * r << "' fy='" << m.ty << "'";
    out << " spreadMethod='" << kSpreads[static_cast<int>(f.spread)] << "'>";
    for (const GradientStop& s : f.stops)
        out << "<stop offset='" << s.ratio / 255.0 << "' stop-color='" << rgb(s.color) << "'/>";
    out << (f.kind == FillStyle::Kind::Linear ? "</linearGradient>" : "</radialGradient>");
    return out.str();
}

void write(const std::string& dir, const Picture& p) {
    SwfWriter w = stageWriter(kWidth / 20, kHeight / 20);
    ShapeBuilder s;
    uint32_t fill = p.fill ? s.addFill(*p.fill) : 0;
    uint32_t line = p.line ? s.addLineStyle(*p.line) : 0;
    s.setStyles(0, fill, line);
    std::ostringstream path;
    auto contour = [&](const std::vector<std::pair<int, int>>& pts) {
        s.moveTo(pts[0].first, pts[0].second);
        path << "M" << pts[0].first << " " << pts[0].second;
        for (size_t i = 1; i < pts.size(); ++i) {
            s.lineTo(pts[i].first, pts[i].second);
            path << " L" << pts[i].first << " " << pts[i].second;
        }
        if (p.fill) {
            s.lineTo(pts[0].first, pts[0].second);
            path << " Z";
        }
    };
    contour(p.points);
    for (const auto& c : p.extraContours) contour(c);
    w.timeline().place(1, w.defineShape(s, 4, p.nonZero));
    w.timeline().showFrame();
    writeFile(dir + "/" + p.name + ".swf", w.finish(false));

    std::ostringstream svg;
    svg << "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='150' viewBox='0 0 " << kWidth << " " << kHeight
        << "'><rect width='" << kWidth << "' height='" << kHeight << "' fill='white'/><defs>";
    const FillStyle* paint = p.fill && p.fill->kind != FillStyle::Kind::Solid ? &*p.fill
                             : p.line && p.line->fill                         ? &*p.line->fill
                                                                              : nullptr;
    if (paint) svg << gradientSvg(*paint);
    svg << "</defs><path d='" << path.str() << "'";
    if (p.fill)
        svg << " fill='" << (paint ? "url(#g)" : rgb(p.fill->color)) << "' fill-rule='"
            << (p.nonZero ? "nonzero" : "evenodd") << "'";
    else
        svg << " fill='none'";
    if (p.line) {
        const LineStyle& l = *p.line;
        static const char *const kCaps[] = {"round", "butt", "square"}, *const kJoins[] = {"round", "bevel", "miter"};
        const char *cap = kCaps[static_cast<int>(l.startCap)], *join = kJoins[static_cast<int>(l.join)];
        svg << " stroke='" << (l.fill ? "url(#g)" : rgb(l.color)) << "' stroke-width='" << l.width
            << "' stroke-linecap='" << cap << "' stroke-linejoin='" << join << "' stroke-miterlimit='" << l.miterLimit
            << "'";
    }
    svg << "/></svg>\n";
    writeFile(dir + "/" + p.name + ".svg", svg.str());
}

std::vector<std::pair<int, int>> star() {
    std::vector<std::pair<int, int>> pts;
    for (int i = 0; i < 5; ++i) {
        double a = -M_PI / 2 + i * 4 * M_PI / 5;
        pts.push_back({static_cast<int>(std::lround(2000 + 1400 * std::cos(a))),
                       static_cast<int>(std::lround(1560 + 1400 * std::sin(a)))});
    }
    return pts;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string dir = argv[1];
    const std::vector<std::pair<int, int>> box = {{200, 200}, {3800, 200}, {3800, 2800}, {200, 2800}};
    const std::vector<std::pair<int, int>> peak = {{600, 2400}, {2000, 600}, {3400, 2400}};
    std::vector<GradientStop> stops = {{0, {220, 30, 30, 255}}, {128, {250, 220, 40, 255}}, {255, {30, 60, 220, 255}}};
    auto gradient = [&](FillStyle::Kind kind, FillStyle::Spread spread, float focal, float span) {
        FillStyle f;
        f.kind = kind;
        f.stops = stops;
        f.spread = spread;
        f.focal = focal;
        float k = span / 32768.0f;
        f.matrix = Matrix{k, 0, 0, k, 2000, 1500};
        return f;
    };
    using Kind = FillStyle::Kind;
    using Spread = FillStyle::Spread;
    using Cap = LineStyle::Cap;
    using Join = LineStyle::Join;
    auto stroke = [&](Cap cap, Join join, float limit, uint16_t width = 320) {
        LineStyle l;
        l.width = width;
        l.color = {20, 40, 160, 255};
        l.startCap = l.endCap = cap;
        l.join = join;
        l.miterLimit = limit;
        return l;
    };
    LineStyle painted = stroke(Cap::Round, Join::Round, 4, 400);
    painted.fill = gradient(Kind::Linear, Spread::Pad, 0, 2800);
    FillStyle green;
    green.color = {40, 140, 40, 255};
    const Picture pictures[] = {
        {"twin-gradient-linear-pad", box, gradient(Kind::Linear, Spread::Pad, 0, 1600)},
        {"twin-gradient-linear-reflect", box, gradient(Kind::Linear, Spread::Reflect, 0, 1000)},
        {"twin-gradient-linear-repeat", box, gradient(Kind::Linear, Spread::Repeat, 0, 1000)},
        {"twin-gradient-radial", box, gradient(Kind::Radial, Spread::Pad, 0, 2400)},
        {"twin-gradient-radial-repeat", box, gradient(Kind::Radial, Spread::Repeat, 0, 1200)},
        {"twin-gradient-focal", box, gradient(Kind::Radial, Spread::Pad, 0.6f, 2400)},
        {"twin-stroke-butt-miter", peak, {}, stroke(Cap::None, Join::Miter, 4)},
        {"twin-stroke-square-bevel", peak, {}, stroke(Cap::Square, Join::Bevel, 4)},
        {"twin-stroke-round-round", peak, {}, stroke(Cap::Round, Join::Round, 4)},
        {"twin-stroke-miter-limit", {{600, 2600}, {2000, 400}, {2200, 2600}}, {}, stroke(Cap::None, Join::Miter, 2)},
        {"twin-stroke-gradient", peak, {}, painted},
        {"twin-fill-even-odd-star", star(), green},
        {"twin-fill-non-zero-star", star(), green, {}, true},
        {"twin-fill-even-odd-hole", box, green, {}, false, {{{1000, 800}, {3000, 800}, {3000, 2200}, {1000, 2200}}}},
    };
    for (const Picture& p : pictures) write(dir, p);
    return 0;
}

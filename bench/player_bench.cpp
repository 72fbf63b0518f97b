// Frames per second of the movie renderer at 1920x1080 against cairo filling
// and stroking the same paths with the same paints, one core.
#include "player/player.h"
#include "tests/tools/demo_character.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFrame = 5;

std::shared_ptr<const Movie> demoMovie(bool withStrokes) {
    std::vector<uint8_t> bytes = demoCharacterMovie(false);
    Movie movie = *decodeMovie(bytes.data(), bytes.size());
    if (!withStrokes) {
        for (auto& [id, ch] : movie.characters) {
            auto copy = std::make_shared<Character>(*ch);
            for (ShapeEdge& e : copy->shape.edges) e.line = 0;
            ch = copy;
        }
    }
    return std::make_shared<const Movie>(std::move(movie));
}

// cairo paths of one shape, per fill style chained into closed contours.
struct CairoShape {
    std::vector<std::pair<const FillStyle*, cairo_path_t*>> fills;
    std::vector<std::pair<const LineStyle*, cairo_path_t*>> lines;
};

void edgePath(cairo_t* cr, const ShapeEdge& e, bool reversed, bool move) {
    PointF from = reversed ? e.to : e.from, to = reversed ? e.from : e.to;
    if (move) cairo_move_to(cr, from.x, from.y);
    if (e.curved) {
        double cx = e.control.x, cy = e.control.y;
        cairo_curve_to(cr, from.x + 2.0 / 3 * (cx - from.x), from.y + 2.0 / 3 * (cy - from.y),
                       to.x + 2.0 / 3 * (cx - to.x), to.y + 2.0 / 3 * (cy - to.y), to.x, to.y);
    } else {
        cairo_line_to(cr, to.x, to.y);
    }
}

CairoShape buildCairoShape(cairo_t* cr, const Shape& shape) {
    CairoShape out;
    for (uint32_t style = 1; style <= shape.fills.size(); ++style) {
        std::vector<std::pair<const ShapeEdge*, bool>> edges;  // edge, reversed
        for (const ShapeEdge& e : shape.edges) {
            if (e.fill0 == e.fill1) continue;
            if (e.fill1 == style) edges.push_back({&e, false});
            if (e.fill0 == style) edges.push_back({&e, true});
        }
        if (edges.empty()) continue;
        std::multimap<std::pair<float, float>, size_t> starts;
        for (size_t i = 0; i < edges.size(); ++i) {
            PointF p = edges[i].second ? edges[i].first->to : edges[i].first->from;
            starts.insert({{p.x, p.y}, i});
        }
        std::vector<bool> used(edges.size());
        cairo_new_path(cr);
        for (size_t first = 0; first < edges.size(); ++first) {
            if (used[first]) continue;
            size_t i = first;
            bool move = true;
            while (true) {
                used[i] = true;
                edgePath(cr, *edges[i].first, edges[i].second, move);
                move = false;
                PointF end = edges[i].second ? edges[i].first->from : edges[i].first->to;
                auto range = starts.equal_range({end.x, end.y});
                size_t next = edges.size();
                for (auto it = range.first; it != range.second; ++it)
                    if (!used[it->second]) {
                        next = it->second;
                        break;
                    }
                if (next == edges.size()) break;
                i = next;
            }
            cairo_close_path(cr);
        }
        out.fills.push_back({&shape.fills[style - 1], cairo_copy_path(cr)});
    }
    for (uint32_t style = 1; style <= shape.lines.size(); ++style) {
        cairo_new_path(cr);
        PointF pen{1e30f, 1e30f};
        bool any = false;
        for (const ShapeEdge& e : shape.edges) {
            if (e.line != style) continue;
            edgePath(cr, e, false, e.from.x != pen.x || e.from.y != pen.y);
            pen = e.to;
            any = true;
        }
        if (any) out.lines.push_back({&shape.lines[style - 1], cairo_copy_path(cr)});
    }
    cairo_new_path(cr);
    return out;
}

void setSource(cairo_t* cr, const FillStyle& f, const ColorTransform& cx) {
    if (f.kind == FillStyle::Kind::Solid || f.kind == FillStyle::Kind::Bitmap) {
        Rgba c = cx.apply(f.color);
        cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
        return;
    }
    cairo_pattern_t* p = f.kind == FillStyle::Kind::Linear ? cairo_pattern_create_linear(-16384, 0, 16384, 0)
                                                           : cairo_pattern_create_radial(0, 0, 0, 0, 0, 16384);
    for (const GradientStop& s : f.stops) {
        Rgba c = cx.apply(s.color);
        cairo_pattern_add_color_stop_rgba(p, s.ratio / 255.0, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
    }
    Matrix inv;
    f.matrix.invert(inv);
    cairo_matrix_t m;
    cairo_matrix_init(&m, inv.a, inv.b, inv.c, inv.d, inv.tx, inv.ty);
    cairo_pattern_set_matrix(p, &m);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void playerFrame(benchmark::State& state, bool withStrokes) {
    MoviePlayer player(demoMovie(withStrokes));
    player.replayTo(kFrame);
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    Surface surface{pixels.data(), kWidth, kHeight, kWidth};
    FrameRenderer renderer;
    for (auto _ : state) {
        drawCurrentFrame(renderer, player, surface);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void cairoFrame(benchmark::State& state, bool withStrokes) {
    MoviePlayer player(demoMovie(withStrokes));
    player.replayTo(kFrame);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    std::map<const Shape*, CairoShape> shapes;
    std::vector<DrawItem> items = collectDrawList(player, showAllTransform(player.movie(), kWidth, kHeight)).items;
    for (const DrawItem& item : items)
        if (!shapes.count(item.shape)) shapes[item.shape] = buildCairoShape(cr, *item.shape);
    const Rgba bg = player.movie().background;
    for (auto _ : state) {
        cairo_identity_matrix(cr);
        cairo_set_source_rgb(cr, bg.r / 255.0, bg.g / 255.0, bg.b / 255.0);
        cairo_paint(cr);
        for (const DrawItem& item : items) {
            const Matrix& t = item.toDevice;
            cairo_matrix_t m;
            cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
            cairo_set_matrix(cr, &m);
            const CairoShape& shape = shapes[item.shape];
            cairo_set_fill_rule(cr, item.shape->nonZero ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
            for (const auto& [style, path] : shape.fills) {
                cairo_new_path(cr);
                cairo_append_path(cr, path);
                setSource(cr, *style, item.colorTransform);
                cairo_fill(cr);
            }
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            for (const auto& [style, path] : shape.lines) {
                cairo_new_path(cr);
                cairo_append_path(cr, path);
                Rgba c = item.colorTransform.apply(style->color);
                cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
                cairo_set_line_width(cr, style->width);
                cairo_stroke(cr);
            }
        }
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    }
    state.SetItemsProcessed(state.iterations());
    for (auto& [shape, paths] : shapes) {
        for (auto& f : paths.fills) cairo_path_destroy(f.second);
        for (auto& l : paths.lines) cairo_path_destroy(l.second);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

// Keeps each benchmark's CPU seconds per frame (the machine is shared) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.iterations > 0) secondsPerFrame_[r.benchmark_name()] = r.cpu_accumulated_time / r.iterations;
    }
    void printRatios() const {
        for (const char* kind : {"fills_and_strokes", "fills_only"}) {
            auto mine = secondsPerFrame_.find(std::string("player/") + kind);
            auto peer = secondsPerFrame_.find(std::string("cairo/") + kind);
            if (mine == secondsPerFrame_.end() || peer == secondsPerFrame_.end()) continue;
            std::printf("%-18s player %.1f fps, cairo %.1f fps: %.2fx cairo\n", kind, 1 / mine->second,
                        1 / peer->second, peer->second / mine->second);
        }
    }

private:
    std::map<std::string, double> secondsPerFrame_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("player/fills_and_strokes", playerFrame, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("cairo/fills_and_strokes", cairoFrame, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("player/fills_only", playerFrame, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("cairo/fills_only", cairoFrame, false)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}

// swfsamples DIR: writes sample movies covering everything the SWF writer
// produces, each with a JSON summary of how the player's decoder reads it.
// tests/tools/swf_crosscheck.mjs compares those summaries with an independent parser.
#include "player/movie.h"
#include "tests/tools/demo_character.h"
#include "tests/tools/movie_parts.h"
#include "tools/writers/swf_writer.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

std::string matrixText(const Matrix& m) {
    std::ostringstream out;
    out << "[" << std::lround(m.a * 65536) << "," << std::lround(m.b * 65536) << "," << std::lround(m.c * 65536) << ","
        << std::lround(m.d * 65536) << "," << m.tx << "," << m.ty << "]";
    return out.str();
}

std::string colorText(Rgba c) {
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + "," + std::to_string(c.a);
}

std::string fillText(const FillStyle& f) {
    static const char* const kKinds[] = {"solid", "linear", "radial", "bitmap"};
    std::string out = kKinds[static_cast<int>(f.kind)];
    if (f.kind == FillStyle::Kind::Solid) return out + ":" + colorText(f.color);
    out += ":" + matrixText(f.matrix);
    if (f.kind == FillStyle::Kind::Bitmap)
        return out + ":" + std::to_string(f.bitmapId) + ":" + (f.repeat ? "r" : "c") + (f.smooth ? "s" : "n");
    for (const GradientStop& g : f.stops) out += ":" + std::to_string(g.ratio) + "/" + colorText(g.color);
    return out;
}

void summarizeTimeline(std::ostringstream& out, const Timeline& t) {
    out << "[";
    for (size_t f = 0; f < t.frames.size(); ++f) {
        out << (f ? "," : "") << "[";
        int shown = 0;
        for (const FrameCommand& c : t.frames[f]) {
            if (c.kind == FrameCommand::Kind::Actions || c.kind == FrameCommand::Kind::InitActions) continue;
            out << (shown++ ? "," : "") << "\"";
            if (c.kind == FrameCommand::Kind::Remove) {
                out << "remove:" << c.remove.depth;
            } else {
                out << (c.place.move ? "move:" : "place:") << c.place.depth << ":"
                    << (c.place.characterId ? std::to_string(*c.place.characterId) : "-") << ":"
                    << (c.place.matrix ? matrixText(*c.place.matrix) : "-") << ":";
                if (c.place.colorTransform) {
                    const ColorTransform& cx = *c.place.colorTransform;
                    for (int k = 0; k < 4; ++k) out << std::lround(cx.mul[k] * 256) << ",";
                    for (int k = 0; k < 4; ++k) out << cx.add[k] << (k < 3 ? "," : "");
                } else {
                    out << "-";
                }
                out << ":" << (c.place.clipDepth ? std::to_string(*c.place.clipDepth) : "-");
            }
            out << "\"";
        }
        out << "]";
    }
    out << "]";
}

std::string summarize(const Movie& m) {
    std::ostringstream out;
    out << "{\"version\":" << int(m.version) << ",\"frameRate\":" << m.frameRate
        << ",\"frameCount\":" << m.declaredFrameCount << ",\"frameSize\":[" << m.frameRect.xMin << ","
        << m.frameRect.xMax << "," << m.frameRect.yMin << "," << m.frameRect.yMax << "]"
        << ",\"background\":[" << int(m.background.r) << "," << int(m.background.g) << "," << int(m.background.b)
        << "],\"characters\":{";
    int written = 0;
    for (const auto& [id, ch] : m.characters) {
        out << (written++ ? "," : "") << "\"" << id << "\":";
        if (ch->kind == Character::Kind::Shape) {
            const Shape& s = ch->shape;
            out << "{\"kind\":\"shape\",\"bounds\":[" << s.bounds.xMin << "," << s.bounds.xMax << "," << s.bounds.yMin
                << "," << s.bounds.yMax << "],\"fills\":[";
            for (size_t i = 0; i < s.fills.size(); ++i) out << (i ? "," : "") << "\"" << fillText(s.fills[i]) << "\"";
            out << "],\"lines\":[";
            for (size_t i = 0; i < s.lines.size(); ++i)
                out << (i ? "," : "") << "\"" << s.lines[i].width << ":" << colorText(s.lines[i].color) << "\"";
            out << "],\"edges\":[";
            for (size_t i = 0; i < s.edges.size(); ++i) {
                const ShapeEdge& e = s.edges[i];
                out << (i ? "," : "") << "\"" << e.from.x << "," << e.from.y;
                if (e.curved) out << "~" << e.control.x << "," << e.control.y;
                out << ">" << e.to.x << "," << e.to.y << " " << e.fill0 << "/" << e.fill1 << "/" << e.line << "\"";
            }
            out << "]}";
        } else if (ch->kind == Character::Kind::Bitmap) {
            out << "{\"kind\":\"bitmap\",\"width\":" << ch->bitmap.width << ",\"height\":" << ch->bitmap.height << "}";
        } else {
            out << "{\"kind\":\"sprite\",\"frames\":";
            summarizeTimeline(out, ch->sprite);
            out << "}";
        }
    }
    out << "},\"frames\":";
    summarizeTimeline(out, m.timeline);
    out << "}";
    return out.str();
}

SwfWriter everything() {
    SwfWriter w(10, TwipsRect{0, 11000, 0, 8000}, 24.0f);
    w.setBackground({12, 34, 56, 255});
    for (int version = 1; version <= 4; ++version) {
        ShapeBuilder s;
        uint32_t solid = s.addSolidFill({200, 100, 50, version >= 3 ? uint8_t(128) : uint8_t(255)});
        uint32_t line = s.addLineStyle(static_cast<uint16_t>(20 * version), {0, 0, 0, 255});
        s.setStyles(0, solid, line);
        s.moveTo(-300, 40);
        s.lineTo(500, 40);
        s.curveTo(900, 300, 500, 700);
        s.lineTo(-300, 700);
        s.lineTo(-300, 40);
        w.timeline().place(static_cast<uint16_t>(version), w.defineShape(s, version));
    }
    const Matrix g{0.05f, 0.01f, -0.02f, 0.04f, 1000, -200};
    std::vector<uint32_t> pixels = {0xFFFF0000u, 0x8000FF00u, 0x400000FFu, 0xFFFFFFFFu, 0x00000000u, 0xFF123456u};
    uint16_t plainBitmap = defineBitmap(w, 3, 2, pixels, false);
    uint16_t alphaBitmap = defineBitmap(w, 2, 3, pixels, true);
    ShapeBuilder s;
    uint32_t linear = s.addLinearGradient(g, {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 100}}, {255, {0, 0, 255, 255}}});
    uint32_t radial = s.addRadialGradient(g, {{10, {1, 2, 3, 4}}, {240, {5, 6, 7, 8}}});
    const Matrix b{20, 0, 0, 20, 0, 0};
    uint32_t bitmap = s.addFill(bitmapFill(plainBitmap, b, true, true));
    s.setStyles(linear, radial, 0);
    s.moveTo(0, 0);
    s.lineTo(4000, 0);
    s.setStyles(0, bitmap, 0);
    s.lineTo(4000, 3000);
    s.curveTo(-100, -200, 0, 0);
    s.newStyles();
    uint32_t clipped = s.addFill(bitmapFill(alphaBitmap, b, false, false));
    s.addLineStyle(5, {9, 9, 9, 9});
    s.setStyles(clipped, 0, 1);
    s.moveTo(100, 100);
    s.lineTo(100, 5000);
    s.lineTo(-6000, 100);
    s.lineTo(100, 100);
    uint16_t mixed = w.defineShape(s, 4);

    TimelineWriter sprite;
    sprite.place(1, mixed);
    sprite.showFrame();
    const Matrix rot{0.7f, 0.7f, -0.7f, 0.7f, 123, -456};
    sprite.move(1, rot);
    sprite.showFrame();
    sprite.remove(1);
    sprite.showFrame();
    uint16_t spriteId = w.defineSprite(sprite);

    TimelineWriter& t = w.timeline();
    frameLabel(t, "intro");
    const ColorTransform cx{{0.5f, 1, 1, 0.25f}, {0, -40, 0, 10}};
    t.place(10, spriteId, rot, cx);
    const ColorTransform noAlpha{{1, 1, 1, 1}, {0, 0, 255, 0}};
    placeV1(t, 11, mixed, Matrix{}, noAlpha);
    placeMask(t, 12, mixed, 20);
    t.showFrame();
    t.move(10, std::nullopt, cx);
    t.move(11, std::nullopt, std::nullopt, mixed);
    t.showFrame();
    removeV1(t, mixed, 11);
    t.remove(10);
    t.rawTag(SwfTag::Metadata, {'<', 'r', '/', '>', 0});
    t.showFrame();
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: swfsamples DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    SwfWriter w = everything();
    const std::pair<const char*, std::vector<uint8_t>> samples[] = {{"everything-fws", w.finish(false)},
                                                                    {"everything-cws", w.finish(true)},
                                                                    {"character", demoCharacterMovie(true)}};
    for (const auto& [name, bytes] : samples) {
        auto movie = decodeMovie(bytes.data(), bytes.size());
        if (!movie) {
            std::fprintf(stderr, "swfsamples: the player cannot read its own sample %s\n", name);
            return 1;
        }
        std::string base = dir + "/" + name;
        if (!writeFile(base + ".swf", bytes) || !writeFile(base + ".json", summarize(*movie))) {
            std::fprintf(stderr, "swfsamples: cannot write into %s\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}

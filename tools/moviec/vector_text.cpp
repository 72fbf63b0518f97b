#include "tools/moviec/vector_text.h"

#include "tools/moviec/drawing.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <vector>

struct VectorFont::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Face() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

constexpr double kLineSpacing = 1.25;

std::vector<std::u32string> splitLines(const std::string& utf8) {
    std::vector<std::u32string> lines(1);
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<uint8_t>(utf8[i]);
        int extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2 : 3;
        char32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
        i += extra + 1;
        if (code == U'\n')
            lines.emplace_back();
        else
            lines.back() += code;
    }
    return lines;
}

struct OutlineSink {
    Pen* pen;
    double scale, x, y;  // font units to pixels, and the glyph origin
    FT_Vector last{};
    double px(const FT_Vector* v) const { return x + v->x * scale; }
    double py(const FT_Vector* v) const { return y - v->y * scale; }
};

int moveTo(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->pen->move(s->px(to), s->py(to));
    s->last = *to;
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->pen->line(s->px(to), s->py(to));
    s->last = *to;
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->pen->curve(s->px(control), s->py(control), s->px(to), s->py(to));
    s->last = *to;
    return 0;
}

// Fonts with cubic outlines get one quadratic per cubic: close enough at
// caption sizes.
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    FT_Vector control{(3 * (c1->x + c2->x) - s->last.x - to->x) / 4, (3 * (c1->y + c2->y) - s->last.y - to->y) / 4};
    return conicTo(&control, to, user);
}

}  // namespace

std::unique_ptr<VectorFont> VectorFont::open(const std::string& path) {
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) != 0) return nullptr;
    if (FT_New_Face(face->library, path.c_str(), 0, &face->face) != 0) return nullptr;
    return std::unique_ptr<VectorFont>(new VectorFont(std::move(face)));
}

VectorFont::VectorFont(std::unique_ptr<Face> face) : face_(std::move(face)) {}
VectorFont::~VectorFont() = default;

double VectorFont::lineWidth(const std::u32string& line, double size) const {
    double scale = size / face_->face->units_per_EM, width = 0;
    for (char32_t code : line)
        if (FT_Load_Char(face_->face, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0)
            width += face_->face->glyph->advance.x * scale;
    return width;
}

VectorFont::Extent VectorFont::measure(const std::string& text, double size) const {
    Extent extent;
    auto lines = splitLines(text);
    for (const auto& line : lines) extent.width = std::max(extent.width, lineWidth(line, size));
    extent.height = size * (1 + kLineSpacing * (lines.size() - 1));
    return extent;
}

void VectorFont::draw(ShapeBuilder& shape, uint32_t fill, const std::string& text, double size) const {
    Pen pen(shape);
    FT_Face face = face_->face;
    double scale = size / face->units_per_EM;
    auto lines = splitLines(text);
    double blockHeight = size * (1 + kLineSpacing * (lines.size() - 1));
    // The baseline sits at about 0.78 of the size below a line's top.
    double baseline = -blockHeight / 2 + size * 0.78;
    FT_Outline_Funcs funcs{moveTo, lineTo, conicTo, cubicTo, 0, 0};
    for (const auto& line : lines) {
        double x = -lineWidth(line, size) / 2;
        for (char32_t code : line) {
            if (FT_Load_Char(face, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) continue;
            FT_GlyphSlot glyph = face->glyph;
            if (glyph->format == FT_GLYPH_FORMAT_OUTLINE && glyph->outline.n_contours > 0) {
                // TrueType outer contours run clockwise with y up, so on
                // screen they carry their fill on the left.
                pen.styles(fill, 0, 0);
                OutlineSink sink{&pen, scale, x, baseline, {}};
                FT_Outline_Decompose(&glyph->outline, &funcs, &sink);
            }
            x += glyph->advance.x * scale;
        }
        baseline += size * kLineSpacing;
    }
}

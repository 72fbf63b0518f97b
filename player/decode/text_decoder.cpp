#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// One glyph outline: shape records drawn with the text's colour as fill 1,
// within the bounds of its edges and their control points.
Shape readGlyph(const uint8_t* data, size_t size) {
    Shape glyph;
    glyph.fills.push_back(FillStyle{});
    BitReader in(data, size);
    ShapeDecoder(in, 1, glyph).readRecords();
    if (glyph.edges.empty()) return glyph;
    float xMin = glyph.edges[0].from.x, xMax = xMin, yMin = glyph.edges[0].from.y, yMax = yMin;
    auto include = [&](PointF p) {
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    };
    for (const ShapeEdge& e : glyph.edges) {
        include(e.to);
        if (e.curved) include(e.control);
    }
    glyph.bounds = {static_cast<int32_t>(std::floor(xMin)), static_cast<int32_t>(std::ceil(xMax)),
                    static_cast<int32_t>(std::floor(yMin)), static_cast<int32_t>(std::ceil(yMax))};
    return glyph;
}

void decodeFontInfo(MovieDecoder& d, BitReader& body, unsigned code) {
    Font* font = d.fontToAmend(body.u16());
    if (!font) return;
    body.skip(body.u8());  // name
    uint8_t flags = body.u8();
    if (code == SwfTag::DefineFontInfo2) body.u8();  // language
    bool wide = code == SwfTag::DefineFontInfo2 || (flags & 0x01);
    font->codes.clear();
    for (size_t i = 0; i < font->glyphs.size(); ++i) {
        uint16_t c = wide ? body.u16() : body.u8();
        if (body.overrun()) break;
        font->codes.push_back(c);
    }
}

void decodeFont23(MovieDecoder& d, BitReader& body, unsigned code) {
    Character ch;
    ch.kind = Character::Kind::Font;
    Font& font = ch.font;
    font.emSize = code == SwfTag::DefineFont3 ? 20480.0f : 1024.0f;
    uint16_t id = body.u16();
    uint8_t flags = body.u8();
    body.u8();             // language
    body.skip(body.u8());  // name
    size_t count = body.u16();
    if (body.overrun()) return;
    const uint8_t* table = body.here();
    size_t tableSize = body.remaining();
    BitReader offsets(table, tableSize);
    bool wideOffsets = flags & 0x08;
    std::vector<size_t> starts;
    for (size_t i = 0; i < count && !offsets.overrun(); ++i)
        starts.push_back(wideOffsets ? offsets.u32() : offsets.u16());
    size_t codeOffset = count ? (wideOffsets ? offsets.u32() : offsets.u16()) : offsets.position();
    if (offsets.overrun() || codeOffset > tableSize) return;
    for (size_t i = 0; i < count; ++i) {
        size_t from = starts[i], to = i + 1 < count ? starts[i + 1] : codeOffset;
        font.glyphs.push_back(from <= to && to <= tableSize ? readGlyph(table + from, to - from) : Shape{});
    }
    BitReader rest(table + codeOffset, tableSize - codeOffset);
    for (size_t i = 0; i < count; ++i) font.codes.push_back((flags & 0x04) ? rest.u16() : rest.u8());
    if (flags & 0x80) {
        font.ascent = rest.u16();
        font.descent = rest.u16();
        font.leading = static_cast<int16_t>(rest.u16());
        for (size_t i = 0; i < count; ++i) font.advances.push_back(static_cast<int16_t>(rest.u16()));
        // Glyph bounds and kerning are not needed for drawing.
    }
    if (rest.overrun()) {
        font.codes.resize(std::min(font.codes.size(), count));
        if (font.advances.size() < count) font.advances.clear();
    }
    d.define(id, std::move(ch));
}

void decodeFont1(MovieDecoder& d, BitReader& body) {
    Character ch;
    ch.kind = Character::Kind::Font;
    uint16_t id = body.u16();
    const uint8_t* table = body.here();
    size_t tableSize = body.remaining();
    BitReader offsets(table, tableSize);
    size_t count = offsets.u16() / 2;
    if (offsets.overrun()) return;
    std::vector<size_t> starts{count * 2};
    for (size_t i = 1; i < count && !offsets.overrun(); ++i) starts.push_back(offsets.u16());
    if (offsets.overrun()) return;
    for (size_t i = 0; i < count; ++i) {
        size_t from = starts[i], to = i + 1 < count ? starts[i + 1] : tableSize;
        ch.font.glyphs.push_back(from <= to && to <= tableSize ? readGlyph(table + from, to - from) : Shape{});
    }
    d.define(id, std::move(ch));
}

void decodeStaticText(MovieDecoder& d, BitReader& body, unsigned code) {
    Character ch;
    ch.kind = Character::Kind::Text;
    uint16_t id = body.u16();
    readRect(body);
    ch.text.matrix = readMatrix(body);
    unsigned glyphBits = body.u8(), advanceBits = body.u8();
    if (glyphBits > 32 || advanceBits > 32) return;
    TextGlyph pen;
    while (!body.overrun()) {
        uint8_t flags = body.u8();
        if (flags == 0) break;
        if (flags & 0x08) pen.fontId = body.u16();
        if (flags & 0x04) pen.color = code == SwfTag::DefineText2 ? readRgba(body) : readRgb(body);
        if (flags & 0x01) pen.x = static_cast<int16_t>(body.u16());
        if (flags & 0x02) pen.y = static_cast<int16_t>(body.u16());
        if (flags & 0x08) pen.height = body.u16();
        unsigned count = body.u8();
        if (!d.spend(count)) return;
        for (unsigned i = 0; i < count && !body.overrun(); ++i) {
            pen.glyph = static_cast<uint16_t>(body.bits(glyphBits));
            int32_t advance = body.signedBits(advanceBits);
            ch.text.glyphs.push_back(pen);
            pen.x += advance;
        }
        body.align();
    }
    d.define(id, std::move(ch));
}

// Code points of the field's text: UTF-8 from version 6 on, single bytes before.
std::vector<uint32_t> codePoints(const std::string& s, bool utf8) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        uint8_t c = static_cast<uint8_t>(s[i]);
        if (!utf8 || c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t cp = c & (0x3F >> extra);
        size_t j = i + 1;
        for (int k = 0; k < extra && j < s.size() && (static_cast<uint8_t>(s[j]) & 0xC0) == 0x80; ++k, ++j)
            cp = (cp << 6) | (static_cast<uint8_t>(s[j]) & 0x3F);
        out.push_back(extra ? cp : 0xFFFD);
        i = j;
    }
    return out;
}

// The plain text of an HTML field: tags dropped, paragraphs and breaks as new lines.
std::string plainText(const std::string& html) {
    std::string out;
    for (size_t i = 0; i < html.size(); ++i) {
        char c = html[i];
        if (c == '<') {
            size_t end = html.find('>', i);
            if (end == std::string::npos) break;
            std::string tag = html.substr(i + 1, end - i - 1);
            for (char& t : tag) t = static_cast<char>(t >= 'A' && t <= 'Z' ? t - 'A' + 'a' : t);
            if (tag.rfind("br", 0) == 0 || tag == "/p" || tag == "/li") out += '\n';
            i = end;
        } else if (c == '&') {
            static const std::pair<const char*, char> entities[] = {{"&lt;", '<'},   {"&gt;", '>'},    {"&amp;", '&'},
                                                                    {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", ' '}};
            bool matched = false;
            for (const auto& e : entities) {
                size_t n = std::char_traits<char>::length(e.first);
                if (html.compare(i, n, e.first) == 0) {
                    out += e.second;
                    i += n - 1;
                    matched = true;
                    break;
                }
            }
            if (!matched) out += c;
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

struct EditField {
    TwipsRect bounds;
    bool wordWrap = false, multiline = false, password = false, border = false, html = false, outlines = false;
    uint16_t fontId = 0, height = 240;
    Rgba color{0, 0, 0, 255};
    uint8_t align = 0;
    float leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
    std::string text;
};

Shape borderBox(const TwipsRect& r) {
    Shape box;
    box.bounds = r;
    box.fills.push_back(FillStyle{});
    box.fills.back().color = {255, 255, 255, 255};
    box.lines.push_back(LineStyle{});
    box.lines.back().width = 20;
    box.lines.back().color = {0, 0, 0, 255};
    PointF c[4] = {{float(r.xMin), float(r.yMin)},
                   {float(r.xMax), float(r.yMin)},
                   {float(r.xMax), float(r.yMax)},
                   {float(r.xMin), float(r.yMax)}};
    for (int i = 0; i < 4; ++i) {
        ShapeEdge e;
        e.from = c[i];
        e.to = c[(i + 1) % 4];
        e.fill1 = 1;
        e.line = 1;
        box.edges.push_back(e);
    }
    return box;
}

// Lays the field's text out in its embedded font: lines broken at new lines
// and, with word wrap, at spaces; each line aligned within the margins.
void layOut(const EditField& f, const Font& font, int swfVersion, Text& out) {
    float scale = f.height / font.emSize;
    std::map<uint32_t, uint16_t> glyphOf;
    for (size_t i = 0; i < font.codes.size() && i < font.glyphs.size(); ++i)
        glyphOf.emplace(font.codes[i], static_cast<uint16_t>(i));
    auto advance = [&](uint16_t g) {
        return g < font.advances.size() ? font.advances[g] * scale : font.emSize * 0.6f * scale;
    };
    constexpr float kGutter = 40;
    float left = f.bounds.xMin + kGutter + f.leftMargin, right = f.bounds.xMax - kGutter - f.rightMargin;
    float ascent = font.ascent > 0 ? font.ascent * scale : f.height * 0.8f;
    float lineHeight = (font.ascent + font.descent > 0 ? (font.ascent + font.descent) * scale : f.height) + f.leading;
    std::string text = f.html ? plainText(f.text) : f.text;
    std::vector<uint32_t> chars = codePoints(text, swfVersion >= 6);
    if (f.password)
        for (uint32_t& c : chars)
            if (c != '\n' && c != '\r') c = '*';

    std::vector<std::vector<std::pair<uint16_t, float>>> lines(1);  // glyph, advance
    std::vector<float> widths(1, 0);
    size_t lastSpace = 0;  // index in the current line after a space, 0: none
    for (uint32_t c : chars) {
        if (c == '\r' || c == '\n') {
            if (!f.multiline) break;
            lines.emplace_back();
            widths.push_back(0);
            lastSpace = 0;
            continue;
        }
        auto it = glyphOf.find(c);
        if (it == glyphOf.end()) continue;
        float a = advance(it->second);
        float limit = right - left - (lines.size() == 1 ? f.indent : 0);
        if (f.wordWrap && f.multiline && widths.back() + a > limit && lastSpace > 0 && c != ' ') {
            std::vector<std::pair<uint16_t, float>> carried(lines.back().begin() + lastSpace, lines.back().end());
            lines.back().resize(lastSpace);
            widths.back() = 0;
            for (const auto& g : lines.back()) widths.back() += g.second;
            lines.push_back(carried);
            widths.push_back(0);
            for (const auto& g : carried) widths.back() += g.second;
            lastSpace = 0;
        }
        lines.back().push_back({it->second, a});
        widths.back() += a;
        if (c == ' ') lastSpace = lines.back().size();
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        float baseline = f.bounds.yMin + kGutter + ascent + lineHeight * i;
        if (baseline - ascent > f.bounds.yMax) break;
        float x = left + (i == 0 ? f.indent : 0);
        float room = right - x - widths[i];
        if (f.align == 1) x += room;
        if (f.align == 2) x += room / 2;
        for (const auto& g : lines[i]) {
            out.glyphs.push_back({f.fontId, g.first, x, baseline, float(f.height), f.color});
            x += g.second;
        }
    }
}

void decodeEditText(MovieDecoder& d, BitReader& body) {
    Character ch;
    ch.kind = Character::Kind::Text;
    EditField f;
    uint16_t id = body.u16();
    f.bounds = readRect(body);
    uint8_t flags1 = body.u8(), flags2 = body.u8();
    f.wordWrap = flags1 & 0x40;
    f.multiline = flags1 & 0x20;
    f.password = flags1 & 0x10;
    f.border = flags2 & 0x08;
    f.html = flags2 & 0x02;
    f.outlines = flags2 & 0x01;
    if (flags1 & 0x01) f.fontId = body.u16();
    if (flags2 & 0x80) body.cString();  // font class
    if (flags1 & 0x01) f.height = body.u16();
    if (flags1 & 0x04) f.color = readRgba(body);
    if (flags1 & 0x02) body.u16();  // maximum length
    if (flags2 & 0x20) {
        f.align = body.u8();
        f.leftMargin = body.u16();
        f.rightMargin = body.u16();
        f.indent = body.u16();
        f.leading = static_cast<int16_t>(body.u16());
    }
    body.cString();  // variable name
    if (flags1 & 0x80) f.text = body.cString();
    if (body.overrun()) return;
    if (f.border) ch.text.box = borderBox(f.bounds);
    const Font* font = d.font(f.fontId);
    if (font && f.outlines && (flags1 & 0x01)) layOut(f, *font, d.movie.version, ch.text);
    d.define(id, std::move(ch));
}

}  // namespace

void decodeFont(MovieDecoder& d, BitReader& body, unsigned code) {
    switch (code) {
    case SwfTag::DefineFont: decodeFont1(d, body); break;
    case SwfTag::DefineFont2:
    case SwfTag::DefineFont3: decodeFont23(d, body, code); break;
    case SwfTag::DefineFontInfo:
    case SwfTag::DefineFontInfo2: decodeFontInfo(d, body, code); break;
    default: break;  // a font's name and copyright are not drawn
    }
}

void decodeText(MovieDecoder& d, BitReader& body, unsigned code) {
    if (code == SwfTag::DefineEditText)
        decodeEditText(d, body);
    else
        decodeStaticText(d, body, code);
}

#include "player/decode/swf_decoding.h"

#include <algorithm>

TwipsRect readRect(BitReader& in) {
    unsigned n = in.bits(5);
    TwipsRect r;
    r.xMin = in.signedBits(n);
    r.xMax = in.signedBits(n);
    r.yMin = in.signedBits(n);
    r.yMax = in.signedBits(n);
    in.align();
    return r;
}

Rgba readRgb(BitReader& in) {
    Rgba c;
    c.r = in.u8();
    c.g = in.u8();
    c.b = in.u8();
    return c;
}

Rgba readRgba(BitReader& in) {
    Rgba c = readRgb(in);
    c.a = in.u8();
    return c;
}

Matrix readMatrix(BitReader& in) {
    Matrix m;
    if (in.bits(1)) {
        unsigned n = in.bits(5);
        m.a = in.signedBits(n) / 65536.0f;
        m.d = in.signedBits(n) / 65536.0f;
    }
    if (in.bits(1)) {
        unsigned n = in.bits(5);
        m.b = in.signedBits(n) / 65536.0f;
        m.c = in.signedBits(n) / 65536.0f;
    }
    unsigned n = in.bits(5);
    m.tx = static_cast<float>(in.signedBits(n));
    m.ty = static_cast<float>(in.signedBits(n));
    in.align();
    return m;
}

ColorTransform readColorTransform(BitReader& in, bool withAlpha) {
    ColorTransform cx;
    bool hasAdd = in.bits(1);
    bool hasMul = in.bits(1);
    unsigned n = in.bits(4);
    int channels = withAlpha ? 4 : 3;
    if (hasMul)
        for (int i = 0; i < channels; ++i) cx.mul[i] = in.signedBits(n) / 256.0f;
    if (hasAdd)
        for (int i = 0; i < channels; ++i) cx.add[i] = static_cast<float>(in.signedBits(n));
    in.align();
    return cx;
}

void readGradientHeader(FillStyle& f, uint8_t header) {
    unsigned spread = header >> 6;
    f.spread = spread == 1   ? FillStyle::Spread::Reflect
               : spread == 2 ? FillStyle::Spread::Repeat
                             : FillStyle::Spread::Pad;
    f.linearRgb = ((header >> 4) & 3) == 1;
}

bool MovieDecoder::spend(uint64_t units) {
    if (units > workLeft) overBudget = true;
    workLeft -= std::min(units, workLeft);
    return !overBudget;
}

void MovieDecoder::define(uint16_t id, Character&& ch) {
    if (!movie.characters.count(id)) movie.characters[id] = std::make_shared<Character>(std::move(ch));
}

const Font* MovieDecoder::font(uint16_t id) const {
    const Character* ch = movie.character(id);
    return ch && ch->kind == Character::Kind::Font ? &ch->font : nullptr;
}

bool CaselessLess::operator()(const std::string& a, const std::string& b) const {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

int Timeline::frameOfLabel(const std::string& name) const {
    auto it = labels.find(name);
    return it == labels.end() ? -1 : it->second;
}

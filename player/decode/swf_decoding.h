#pragma once

#include "common/deflate_limit.h"
#include "player/format/bit_reader.h"
#include "player/decode/movie_compression.h"
#include "player/format/swf_movie.h"

#include <cstdint>
#include <vector>

// What the tag decoders of each concept share: record readers, the state of
// one movie's decoding and the decoders themselves.

constexpr uint64_t kMaxBitmapPixels = 16u << 20;

TwipsRect readRect(BitReader& in);
Rgba readRgb(BitReader& in);
Rgba readRgba(BitReader& in);
Matrix readMatrix(BitReader& in);
ColorTransform readColorTransform(BitReader& in, bool withAlpha);
// Spread and interpolation from the first byte of a gradient record.
void readGradientHeader(FillStyle& f, uint8_t header);

// The units of decoding work a movie may take: this many for each byte of
// its (unpacked) body and a small movie's allowance, up to the ceiling. A
// tag, a glyph of a text, an action and 4 pixels of a bitmap take one each; a
// bitmap larger than the work left is not decoded at all.
constexpr uint64_t kBitmapPixelsPerUnit = 4;
constexpr uint64_t kDecodeWorkPerByte = 32;
constexpr uint64_t kDecodeWorkAllowance = 1u << 20;
constexpr uint64_t kDecodeWorkCeiling = 8u << 20;

struct MovieDecoder {
    Movie& movie;
    std::vector<uint8_t> jpegTables;
    uint64_t workLeft = 0;
    bool overBudget = false;

    // Takes units of work; false, and the movie over its budget, when too few are left.
    bool spend(uint64_t units);

    // The first definition of an id stands; a movie may not redefine it.
    void define(uint16_t id, Character&& ch);
    const Font* font(uint16_t id) const;
    // A font for the tags that amend it (character codes) in place: every
    // character was made by define, none is const.
    Font* fontToAmend(uint16_t id) { return const_cast<Font*>(font(id)); }
};

// Reads style arrays and shape records of shape version 1..4 into a Shape.
class ShapeDecoder {
public:
    ShapeDecoder(BitReader& in, int version, Shape& shape) : in_(in), version_(version), shape_(shape) {}

    void readStyles();
    // The bit counts and records that follow; style indices count from the
    // current arrays. keepUnstyled keeps edges without any style (morph pairs).
    void readRecords(bool keepUnstyled = false);
    FillStyle readFill(bool& ok);

private:
    static uint32_t styleIndex(uint32_t raw, size_t base, size_t count);
    size_t readCount();
    Rgba readColor();
    void readGradient(FillStyle& f, uint8_t type);

    BitReader& in_;
    int version_;
    Shape& shape_;
    size_t fillBase_ = 0, lineBase_ = 0;
};

// One concept each; code is the tag code, body the tag's bytes.
void decodeShape(MovieDecoder& d, BitReader& body, unsigned code);
void decodeBitmap(MovieDecoder& d, BitReader& body, unsigned code);
void decodeFont(MovieDecoder& d, BitReader& body, unsigned code);
void decodeText(MovieDecoder& d, BitReader& body, unsigned code);
void decodeMorph(MovieDecoder& d, BitReader& body, unsigned code);
void decodeButton(MovieDecoder& d, BitReader& body, unsigned code);
void decodeSound(MovieDecoder& d, BitReader& body, unsigned code);  // DefineSound, SymbolClass

// Control tags of one timeline, the movie's own or a sprite's.
struct TimelineDecoder {
    MovieDecoder& movie;
    Timeline& timeline;
    std::vector<FrameCommand> pending;

    void decode(BitReader& body, unsigned code);
    // Sound starts, stream heads and blocks; false for other tags.
    bool decodeSound(BitReader& body, unsigned code);
    void finish();
};
// Skips a filter list (PlaceObject3, DefineButton2): filters are not drawn.
void skipFilters(BitReader& in);
// Decodes a place tag's body (PlaceObject, 2 or 3) into a command; false when damaged.
bool decodePlace(BitReader& in, unsigned code, PlaceCommand& p);

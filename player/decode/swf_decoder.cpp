#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

#include <algorithm>

namespace {

// Uncompressed movies larger than this are cut; a claim beyond it is a lie or a mistake.
constexpr uint64_t kMaxMovieBody = 64u << 20;

using DefinitionDecoder = void (*)(MovieDecoder&, BitReader&, unsigned code);

// Definition tags by code; they stand in the main timeline only.
struct Definition {
    unsigned code;
    DefinitionDecoder decode;
};

void setBackground(MovieDecoder& d, BitReader& body, unsigned) { d.movie.background = readRgb(body); }
void decodeSprite(MovieDecoder& d, BitReader& body, unsigned);

const Definition kDefinitions[] = {
    {SwfTag::SetBackgroundColor, setBackground},
    {SwfTag::DefineShape, decodeShape},
    {SwfTag::DefineShape2, decodeShape},
    {SwfTag::DefineShape3, decodeShape},
    {SwfTag::DefineShape4, decodeShape},
    {SwfTag::DefineBits, decodeBitmap},
    {SwfTag::JpegTables, decodeBitmap},
    {SwfTag::DefineBitsJpeg2, decodeBitmap},
    {SwfTag::DefineBitsJpeg3, decodeBitmap},
    {SwfTag::DefineBitsJpeg4, decodeBitmap},
    {SwfTag::DefineBitsLossless, decodeBitmap},
    {SwfTag::DefineBitsLossless2, decodeBitmap},
    {SwfTag::DefineFont, decodeFont},
    {SwfTag::DefineFont2, decodeFont},
    {SwfTag::DefineFont3, decodeFont},
    {SwfTag::DefineFontInfo, decodeFont},
    {SwfTag::DefineFontInfo2, decodeFont},
    {SwfTag::DefineFontName, decodeFont},
    {SwfTag::DefineText, decodeText},
    {SwfTag::DefineText2, decodeText},
    {SwfTag::DefineEditText, decodeText},
    {SwfTag::DefineMorphShape, decodeMorph},
    {SwfTag::DefineMorphShape2, decodeMorph},
    {SwfTag::DefineButton, decodeButton},
    {SwfTag::DefineButton2, decodeButton},
    {SwfTag::DefineSprite, decodeSprite},
    {SwfTag::DefineSound, decodeSound},
    {SwfTag::SymbolClass, decodeSound},
};

// The tags of one timeline up to its end tag. Each tag is read from a reader
// of its own bytes, so no decoder can read past its tag.
void decodeTags(MovieDecoder& d, BitReader& in, Timeline& timeline, bool isMain) {
    TimelineDecoder control{d, timeline, {}};
    while (in.remaining() >= 2 && d.spend(1)) {
        uint16_t header = in.u16();
        uint32_t code = header >> 6;
        uint32_t length = header & 0x3F;
        if (length == 0x3F) length = in.u32();
        if (in.overrun()) break;
        size_t available = std::min<size_t>(length, in.remaining());
        BitReader body(in.here(), available);
        in.skip(available);
        if (code == SwfTag::End) break;
        const Definition* definition = nullptr;
        for (const Definition& def : kDefinitions)
            if (def.code == code) definition = &def;
        if (!definition)
            control.decode(body, code);
        else if (isMain)  // sprites hold control tags only
            definition->decode(d, body, code);
    }
    control.finish();
}

void decodeSprite(MovieDecoder& d, BitReader& body, unsigned) {
    uint16_t id = body.u16();
    body.u16();  // frame count
    Character ch;
    ch.kind = Character::Kind::Sprite;
    decodeTags(d, body, ch.sprite, false);
    d.define(id, std::move(ch));
}

}  // namespace

std::optional<Movie> decodeMovie(const uint8_t* data, size_t size, DecodeError* error) {
    auto fail = [&](DecodeError e) -> std::optional<Movie> {
        if (error) *error = e;
        return std::nullopt;
    };
    if (error) *error = DecodeError::None;
    if (size < 8) return fail(DecodeError::TooShort);
    char kind = static_cast<char>(data[0]);
    if ((kind != 'F' && kind != 'C' && kind != 'Z') || data[1] != 'W' || data[2] != 'S')
        return fail(DecodeError::BadSignature);

    Movie movie;
    movie.version = data[3];
    movie.compressed = kind != 'F';
    uint32_t declared = data[4] | (data[5] << 8) | (data[6] << 16) | (uint32_t(data[7]) << 24);
    uint64_t want = std::min<uint64_t>(declared > 8 ? declared - 8 : 0, kMaxMovieBody);

    std::vector<uint8_t> unpacked;
    const uint8_t* body = data + 8;
    size_t bodySize = size - 8;
    if (kind == 'C') {
        want = std::min<uint64_t>(want, static_cast<uint64_t>(bodySize) * kMostDeflateExpansion);
        if (!inflateGrowing(body, bodySize, static_cast<size_t>(want), unpacked) || unpacked.empty())
            return fail(DecodeError::BadCompression);
    } else if (kind == 'Z') {
        // The packed length (4 bytes) and the LZMA properties (5) come first.
        if (bodySize < 9) return fail(DecodeError::TooShort);
        if (!lzmaDecodeGrowing(body + 4, body + 9, bodySize - 9, static_cast<size_t>(want), unpacked) ||
            unpacked.empty())
            return fail(DecodeError::BadCompression);
    } else if (declared >= 8 && declared - 8 < bodySize) {
        bodySize = declared - 8;
    }
    if (kind != 'F') {
        body = unpacked.data();
        bodySize = unpacked.size();
    }

    BitReader in(body, bodySize);
    movie.frameRect = readRect(in);
    movie.frameRate = in.u16() / 256.0f;
    movie.declaredFrameCount = in.u16();
    if (in.overrun()) return fail(DecodeError::TooShort);
    MovieDecoder decoder{movie, {}};
    decoder.workLeft = std::min(kDecodeWorkAllowance + kDecodeWorkPerByte * bodySize, kDecodeWorkCeiling);
    decodeTags(decoder, in, movie.timeline, true);
    if (decoder.overBudget) return fail(DecodeError::OverBudget);
    return movie;
}

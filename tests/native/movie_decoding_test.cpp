// Tags of movies made by other tools: JPEG bitmaps, fonts and texts, morph
// shapes, buttons and LZMA-compressed files.
#include "movie_test_support.h"
#include "other_encoders.h"
#include "player/decode/jpeg_image.h"
#include "player/movie.h"
#include "test_bytes.h"
#include "tools/writers/bit_writer.h"

#include <gtest/gtest.h>

namespace {

// A 16 x 16 JPEG, red in its left half and blue in its right, written by an
// encoder other than the player's decoder.
std::vector<uint8_t> halfRedHalfBlueJpeg() {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 16 * 16; ++i)
        rgb.insert(rgb.end(), {uint8_t(i % 16 < 8 ? 255 : 0), 0, uint8_t(i % 16 < 8 ? 0 : 255)});
    return encodeJpeg(rgb, 16, 16);
}

// A movie whose only shape is filled with the bitmap, stretched over the stage.
RenderedFrame drawBitmapTag(unsigned code, const std::vector<uint8_t>& body, const std::vector<uint8_t>& tables = {}) {
    SwfWriter w = stageWriter();
    if (!tables.empty()) w.rawDefinition(SwfTag::JpegTables, tables);
    uint16_t bitmap = w.define(code, body);
    ShapeBuilder s;
    s.setStyles(0, s.addFill(bitmapFill(bitmap, Matrix{125, 0, 0, 125, 0, 0}, false, false)), 0);
    s.rectangle(0, 0, 2000, 2000);
    w.timeline().place(1, w.defineShape(s));
    return shownFrame(w);
}

TEST(MovieDecoding, JpegBitmapsInEveryTag) {
    std::vector<uint8_t> jpeg = halfRedHalfBlueJpeg(), tables, image;
    ASSERT_GT(jpeg.size(), 100u);
    splitJpegTables(jpeg, tables, image);
    std::vector<uint8_t> alpha = zlibPacked(std::vector<uint8_t>(256, 128));
    struct Case {
        const char* name;
        unsigned code;
        std::vector<uint8_t> body, tables;
        uint32_t left, right;
    };
    const std::vector<uint8_t> size = u32le(static_cast<uint32_t>(jpeg.size())), deblocking = {0, 1};
    const std::vector<uint8_t> strayMarkers = {0xFF, 0xD9, 0xFF, 0xD8};  // written by old tools before the image
    const Case cases[] = {
        {"tables apart", SwfTag::DefineBits, image, tables, kRed, kBlue},
        {"whole, stray markers", SwfTag::DefineBitsJpeg2, join({strayMarkers, jpeg}), {}, kRed, kBlue},
        {"alpha plane", SwfTag::DefineBitsJpeg3, join({size, jpeg, alpha}), {}, 0xFF7F7F, 0x7F7FFF},
        {"fourth with alpha", SwfTag::DefineBitsJpeg4, join({size, deblocking, jpeg, alpha}), {}, 0xFF7F7F, 0x7F7FFF},
    };
    for (const Case& c : cases)
        expectPixels(drawBitmapTag(c.code, c.body, c.tables), {{20, 50, c.left, 24}, {80, 50, c.right, 24}}, c.name);
}

TEST(MovieDecoding, APaletteIndexPastThePaletteIsTransparent) {
    // 2 x 1 pixels of one colour: indices 0 and 1, the row padded to 4 bytes.
    std::vector<uint8_t> body = join({{3, 2, 0, 1, 0, 0}, zlibPacked({255, 0, 0, 0, 1, 0, 0})});
    expectPixels(drawBitmapTag(SwfTag::DefineBitsLossless, body), {{2, 50, kRed}, {80, 50, kWhite}});
}

TEST(MovieDecoding, JpegsBeyondThePixelLimitAreRefusedBeforeDecoding) {
    std::vector<uint8_t> jpeg = halfRedHalfBlueJpeg();
    Bitmap bitmap;
    EXPECT_FALSE(decodeJpeg(nullptr, 0, jpeg.data(), jpeg.size(), 255, bitmap));
    EXPECT_TRUE(bitmap.pixels.empty());
    EXPECT_TRUE(decodeJpeg(nullptr, 0, jpeg.data(), jpeg.size(), 256, bitmap));
    EXPECT_EQ(bitmap.pixels.size(), 256u);
}

// A rectangle from (0, 0), in twips.
void writeRectangle(BitWriter& b, int width, int height) {
    b.bits(15, 5);
    for (int v : {0, width, 0, height}) b.signedBits(v, 15);
    b.align();
}

// A glyph filling its whole em square above the baseline, in em units.
std::vector<uint8_t> squareGlyph(int em) { return filledRectangle({0, 0, 0, 255}, 0, -em, em, em).encodeOutline(); }

// A font of one glyph for "A" in each font tag; advance one em where the tag has layout.
uint16_t defineFont(SwfWriter& w, unsigned code) {
    int em = code == SwfTag::DefineFont3 ? 20480 : 1024;
    std::vector<uint8_t> glyph = squareGlyph(em);
    if (code == SwfTag::DefineFont) {
        const uint16_t id = w.define(code, join({{2, 0}, glyph}));  // the only glyph's offset, then the glyph
        // The font, its one-letter name "F", narrow codes, and the glyph's code.
        w.rawDefinition(SwfTag::DefineFontInfo,
                        {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), 1, 'F', 0, 'A'});
        return id;
    }
    return defineOneGlyphFont(w, code, glyph, 'F', em * 4 / 5, em / 5, em);
}

// An edit field over the stage's top 30 pixels holding `text` in a 20-pixel font.
uint16_t defineEditText(SwfWriter& w, uint16_t font, const std::string& text, int align, bool outlines) {
    BitWriter b;
    writeRectangle(b, 2000, 600);
    b.bytes({0x80 | 0x04 | 0x01, static_cast<uint8_t>(0x20 | (outlines ? 0x01 : 0))});  // text, colour, font; layout
    b.u16(font);
    b.u16(400);
    // Dark green, the alignment, no margins, indent or leading.
    b.bytes({0, 128, 0, 255, static_cast<uint8_t>(align), 0, 0, 0, 0, 0, 0, 0, 0});
    b.cString("field");
    b.cString(text);
    return w.define(SwfTag::DefineEditText, b.data());
}

TEST(MovieDecoding, EditTextInEveryFontTagAndAlignment) {
    constexpr uint32_t kDarkGreen = 0x008000;
    struct Case {
        unsigned font;
        int align;
        bool outlines;
        int inkFrom, inkTo;  // the glyph's pixels (20 wide), -1 for none
    };
    // Fields keep a 2-pixel gutter: left alignment starts at 2, right ends at 98.
    const Case cases[] = {
        {SwfTag::DefineFont2, 0, true, 2, 22},  {SwfTag::DefineFont2, 1, true, 78, 98},
        {SwfTag::DefineFont2, 2, true, 40, 60}, {SwfTag::DefineFont3, 0, true, 2, 22},
        {SwfTag::DefineFont, 0, true, 2, 22},   {SwfTag::DefineFont2, 0, false, -1, -1},
    };
    for (const Case& c : cases) {
        SwfWriter w = stageWriter();
        uint16_t font = defineFont(w, c.font);
        w.timeline().place(1, defineEditText(w, font, "A", c.align, c.outlines));
        RenderedFrame f = shownFrame(w);
        for (int x = 0; x < 100; x += 3) {
            bool inked = x >= c.inkFrom + 1 && x < c.inkTo - 1;
            bool clear = x < c.inkFrom - 1 || x > c.inkTo + 1;
            if (inked || clear) {
                EXPECT_EQ(f.at(x, 12), inked ? kDarkGreen : kWhite)
                    << "font " << c.font << " align " << c.align << " x " << x;
            }
        }
    }
}

TEST(MovieDecoding, StaticTextPlacesGlyphsByAdvance) {
    for (unsigned code : {SwfTag::DefineText, SwfTag::DefineText2}) {
        SwfWriter w = stageWriter();
        uint16_t font = defineFont(w, SwfTag::DefineFont2);
        BitWriter b;
        b.bits(0, 5);  // empty bounds
        b.align();
        writeMatrix(b, shifted(0, 30));
        b.bytes({1, 12, 0x80 | 0x08 | 0x04 | 0x01});  // glyph index and advance bits; font, colour, x offset
        b.u16(font);
        b.bytes({0, 0, 255});
        if (code == SwfTag::DefineText2) b.u8(255);
        b.u16(200);  // x 10 px
        b.u16(400);  // 20 px high
        b.u8(3);     // three glyphs, 30 px apart; the font has no second glyph
        for (unsigned glyph : {0, 1, 0}) {
            b.bits(glyph, 1);
            b.signedBits(600, 12);
        }
        b.align();
        b.u8(0);
        uint16_t text = w.define(code, b.data());
        w.timeline().place(1, text);
        w.timeline().place(2, text, shifted(-20, 40));  // its first glyph half off the left edge
        // The first and third glyphs, no second, nothing below the baseline.
        expectPixels(
            shownFrame(w),
            {{15, 20, kBlue}, {35, 20, kWhite}, {45, 20, kWhite}, {75, 20, kBlue}, {15, 35, kWhite}, {5, 60, kBlue}},
            "tag " + std::to_string(code));
    }
}

TEST(MovieDecoding, MorphShapesFollowTheRatio) {
    for (unsigned code : {SwfTag::DefineMorphShape, SwfTag::DefineMorphShape2}) {
        ShapeBuilder start = filledRectangle({0, 0, 0, 255}, 0, 0, 400, 400), end;
        end.rectangle(1600, 1600, 400, 400);
        std::vector<uint8_t> startEdges = start.encodeOutline(), endEdges = end.encodeOutline();
        // One solid fill, red to blue; no line styles.
        const std::vector<uint8_t> styles = {1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};
        auto tag = [&](size_t endEdgesAt) {
            BitWriter b;
            for (int i = 0; i < (code == SwfTag::DefineMorphShape2 ? 4 : 2); ++i) writeRectangle(b, 2000, 2000);
            if (code == SwfTag::DefineMorphShape2) b.u8(0);
            b.u32(static_cast<uint32_t>(endEdgesAt));
            b.bytes(styles);
            b.bytes(startEdges);
            b.bytes(endEdges);
            return b.data();
        };
        // End edges said to start past the tag's end: the morph is refused.
        SwfWriter lying = stageWriter();
        const uint16_t id = lying.define(code, tag(styles.size() + startEdges.size() + endEdges.size() + 4));
        lying.timeline().showFrame();
        auto refused = decodeOrNull(lying.finish(false));
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->character(id), nullptr) << code;

        SwfWriter w = stageWriter();
        PlaceCommand p;
        p.depth = 1;
        p.characterId = w.define(code, tag(styles.size() + startEdges.size()));
        for (uint16_t ratio : {0, 32768, 65535}) {
            p.ratio = ratio;
            placeObject(w.timeline(), p);
            p.move = true;
            p.characterId.reset();
            w.timeline().showFrame();
        }
        std::vector<uint8_t> movie = w.finish(false);
        EXPECT_EQ(renderFrame(movie, 100, 100, 0).at(10, 10), kRed) << code;
        expectPixels(renderFrame(movie, 100, 100, 1), {{50, 50, 0x7F0080, 2}, {10, 10, kWhite}}, std::to_string(code));
        EXPECT_EQ(renderFrame(movie, 100, 100, 2).at(90, 90), kBlue) << code;
    }
}

TEST(MovieDecoding, ButtonsShowTheirUpState) {
    for (unsigned code : {SwfTag::DefineButton, SwfTag::DefineButton2}) {
        SwfWriter w = stageWriter();
        uint16_t red = squareShape(w, 0, 0, 50, {255, 0, 0, 255});
        uint16_t blue = squareShape(w, 50, 50, 50, {0, 0, 255, 255});
        w.timeline().place(1, defineButton(w, code, red, blue));
        expectPixels(shownFrame(w), {{25, 25, kRed}, {75, 75, kWhite}}, "tag " + std::to_string(code));
    }
}

TEST(MovieDecoding, ZlibAndLzmaMoviesDrawLikePlainOnes) {
    SwfWriter w = stageWriter();
    ShapeBuilder s;
    s.setStyles(0, s.addSolidFill({200, 30, 30, 255}), s.addLineStyle(60, {0, 0, 0, 255}));
    s.moveTo(100, 100);
    s.curveTo(1900, 100, 1900, 1900);
    s.lineTo(100, 1900);
    s.lineTo(100, 100);
    w.timeline().place(1, w.defineShape(s));
    w.timeline().showFrame();
    std::vector<uint8_t> plain = w.finish(false), packed = lzmaMovie(plain);
    RenderedFrame a = renderFrame(plain, 90, 70);
    EXPECT_EQ(a.at(45, 60), 0xC81E1Eu);
    for (const std::vector<uint8_t>& bytes : {w.finish(true), packed}) {
        RenderedFrame b = renderFrame(bytes, 90, 70);
        ASSERT_EQ(b.pixels.size(), 90u * 70u);
        EXPECT_EQ(a.pixels, b.pixels);
    }
    DecodeError error;
    std::vector<uint8_t> damaged = packed;
    for (size_t i = 17; i < damaged.size(); ++i) damaged[i] = 0xFF;
    EXPECT_FALSE(decodeMovie(damaged.data(), damaged.size(), &error));
    EXPECT_EQ(error, DecodeError::BadCompression);
}

}  // namespace

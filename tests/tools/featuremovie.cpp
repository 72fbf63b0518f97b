// featuremovie FILE: writes an LZMA-compressed movie made of what scenes of
// other authoring tools hold, each part in a colour of its own, for the scene
// player's Wine test. On a white 400 x 300 stage:
//   orange  a JPEG bitmap whose tables stand in a tag of their own
//   magenta embedded-font text of an edit field
//   cyan    a button in its up state (its over state would be yellow)
//   green   a yellow rectangle multiplied over the button (PlaceObject3)
//   purple  a morph shape halfway from red to blue
//   dark green  a sprite that a frame script stops on its first frame (olive: its second)
// Frame 1 sends the timeline to the frame labelled "last", which shows a blue
// square and stops; the frames in between show a black square.
#include "player/movie.h"
#include "tests/native/test_bytes.h"
#include "tests/tools/movie_parts.h"
#include "tools/writers/bit_writer.h"
#include "tools/writers/swf_writer.h"

#include "other_encoders.h"

#include <cstdio>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kTwips = 20;

uint16_t square(SwfWriter& w, int x, int y, int width, int height, Rgba color) {
    return w.defineShape(filledRectangle(color, x * kTwips, y * kTwips, width * kTwips, height * kTwips));
}

// A 16 x 16 orange JPEG, its quantisation and Huffman tables in a JPEGTables tag.
uint16_t jpegBitmap(SwfWriter& w) {
    Bytes rgb;
    for (int i = 0; i < 256; ++i) rgb.insert(rgb.end(), {255, 128, 0});
    Bytes tables, image;
    splitJpegTables(encodeJpeg(rgb, 16, 16), tables, image);
    w.rawDefinition(SwfTag::JpegTables, tables);
    return w.define(SwfTag::DefineBits, image);
}

uint16_t editField(SwfWriter& w, uint16_t font) {
    BitWriter b;
    b.bits(14, 5);
    for (int edge : {200, 390, 20, 90}) b.signedBits(edge * kTwips, 14);
    b.align();
    b.u8(0x80 | 0x04 | 0x01);  // text, colour, font
    b.u8(0x01);                // embedded outlines
    b.u16(font);
    b.u16(40 * kTwips);
    b.bytes({255, 0, 255, 255});
    b.cString("");
    b.cString("AAAA");
    return w.define(SwfTag::DefineEditText, b.data());
}

uint16_t morph(SwfWriter& w) {
    ShapeBuilder start = filledRectangle({0, 0, 0, 255}, 20 * kTwips, 160 * kTwips, 80 * kTwips, 80 * kTwips), end;
    end.rectangle(20 * kTwips, 160 * kTwips, 80 * kTwips, 80 * kTwips);
    Bytes startEdges = start.encodeOutline(), endEdges = end.encodeOutline();
    const Bytes styles = {1, 0, 255, 0, 0, 255, 0, 0, 255, 255, 0};  // one solid fill, red to blue; no lines
    BitWriter b;
    b.bytes({0, 0});  // empty start and end bounds
    b.u32(static_cast<uint32_t>(styles.size() + startEdges.size()));
    b.bytes(styles);
    b.bytes(startEdges);
    b.bytes(endEdges);
    return w.define(SwfTag::DefineMorphShape, b.data());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: featuremovie FILE\n");
        return 2;
    }
    SwfWriter w = stageWriter(400, 300);
    uint16_t photo = jpegBitmap(w);
    ShapeBuilder framed;
    framed.setStyles(0,
                     framed.addFill(bitmapFill(photo, Matrix{200, 0, 0, 200, 20 * kTwips, 20 * kTwips}, false, false)),
                     0);
    framed.rectangle(20 * kTwips, 20 * kTwips, 160 * kTwips, 120 * kTwips);
    uint16_t picture = w.defineShape(framed);
    // An "A" of 0.8 em, advancing one em.
    uint16_t font =
        defineOneGlyphFont(w, SwfTag::DefineFont2, filledRectangle({0, 0, 0, 255}, 0, -820, 820, 820).encodeOutline(),
                           'S', 860, 164, 1024);
    uint16_t field = editField(w, font);
    uint16_t knob = defineButton(w, SwfTag::DefineButton2, square(w, 220, 110, 80, 80, {0, 255, 255, 255}),
                                 square(w, 220, 110, 80, 80, {255, 255, 0, 255}));
    uint16_t overlay = square(w, 280, 110, 100, 80, {255, 255, 0, 255});
    uint16_t shape = morph(w);
    TimelineWriter cycle;
    cycle.place(1, square(w, 120, 160, 80, 80, {0, 120, 0, 255}));
    cycle.showFrame();
    cycle.move(1, std::nullopt, std::nullopt, square(w, 120, 160, 80, 80, {120, 120, 0, 255}));
    cycle.showFrame();
    uint16_t sprite = w.defineSprite(cycle);
    uint16_t black = square(w, 300, 220, 80, 60, {0, 0, 0, 255});
    uint16_t blue = square(w, 300, 220, 80, 60, {0, 0, 255, 255});

    TimelineWriter& t = w.timeline();
    frameLabel(t, "start");
    t.place(1, picture);
    t.place(2, field);
    t.place(3, knob);
    placeObject(t, PlaceCommand{4, false, overlay, {}, {}, {}, {}, {}, BlendMode::Multiply, {}});
    placeObject(t, PlaceCommand{5, false, shape, {}, {}, {}, 32768, {}, {}, {}});  // halfway
    placeObject(t, PlaceCommand{6, false, sprite, {}, {}, {}, {}, "mc", {}, {}});
    t.actions(join({act(0x8B, text("mc")), act(0x07), act(0x8B, text(""))}));  // mc: stop
    t.showFrame();
    t.actions(join({act(0x8C, text("last")), act(0x06)}));  // gotoAndPlay("last")
    t.showFrame();
    t.place(7, black);
    for (int i = 0; i < 3; ++i) t.showFrame();
    frameLabel(t, "last");
    t.remove(7);
    t.place(8, blue);
    t.actions(act(0x07));
    t.showFrame();

    Bytes movie = lzmaMovie(w.finish(false));
    return writeFile(argv[1], movie) && !movie.empty() ? 0 : 1;
}

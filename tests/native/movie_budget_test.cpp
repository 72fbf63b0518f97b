// Small movies that ask for endless work: each is played to its third frame
// and drawn at a scene's size, or refused, in well under a second.
#include "movie_test_support.h"
#include "tools/writers/bit_writer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

SwfWriter sceneWriter() { return stageWriter(640, 480); }

std::vector<uint8_t> oneFrame(SwfWriter& w, const std::vector<uint8_t>& script = {}) {
    if (!script.empty()) w.timeline().actions(script);
    w.timeline().showFrame();
    return w.finish(true);
}

std::vector<uint8_t> record(uint8_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out{code, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

// A jump back over the `behind` bytes before it.
std::vector<uint8_t> jumpBack(size_t behind) {
    uint16_t delta = static_cast<uint16_t>(-static_cast<int>(behind + 5));
    return record(0x99, {static_cast<uint8_t>(delta), static_cast<uint8_t>(delta >> 8)});
}

// A script looping over one record.
std::vector<uint8_t> loop(std::vector<uint8_t> body) {
    std::vector<uint8_t> back = jumpBack(body.size());
    body.insert(body.end(), back.begin(), back.end());
    return body;
}

std::vector<uint8_t> cString(const std::string& s) {
    std::vector<uint8_t> out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

std::vector<uint8_t> morphWithBitmapLine() {
    ShapeBuilder outline;
    outline.addLineStyle(40, {0, 0, 0, 255});
    outline.setStyles(0, 0, 1);
    outline.rectangle(200, 200, 4000, 4000);
    std::vector<uint8_t> edges = outline.encodeOutline();
    BitWriter styles;
    styles.bytes({0, 1, 40, 0, 80, 0, 0x08, 0, 0x40, 1, 0});  // a line filled with bitmap 1
    writeMatrix(styles, Matrix{});
    writeMatrix(styles, Matrix{});
    BitWriter b;
    b.bytes({0, 0, 0, 0, 0});  // bounds and flags
    b.u32(static_cast<uint32_t>(styles.data().size() + edges.size()));
    b.bytes(styles.data());
    b.bytes(edges);
    b.bytes(edges);
    SwfWriter w = sceneWriter();
    PlaceCommand p;
    p.depth = 1;
    p.characterId = w.define(SwfTag::DefineMorphShape2, b.data());
    p.ratio = 30000;
    w.timeline().placeObject(p);
    return oneFrame(w);
}

std::vector<uint8_t> jumpsToTheNext() {
    std::vector<uint8_t> script;
    for (int i = 0; i < 50000; ++i) script.insert(script.end(), {0x99, 2, 0, 0, 0});
    SwfWriter w = sceneWriter();
    return oneFrame(w, script);
}

std::vector<uint8_t> fontInfoFlood() {
    SwfWriter w = sceneWriter();
    BitWriter font;
    for (int i = 0; i < 32767; ++i) font.u16(65534);  // empty glyphs
    uint16_t id = w.define(SwfTag::DefineFont, font.data());
    for (int i = 0; i < 5000; ++i) w.rawDefinition(SwfTag::DefineFontInfo, {static_cast<uint8_t>(id), 0, 0, 0});
    return oneFrame(w);
}

std::vector<uint8_t> longTargetPath() {
    SwfWriter w = sceneWriter();
    return oneFrame(w, loop(record(0x8B, cString(std::string(1000, '/')))));
}

std::vector<uint8_t> manyLabels() {
    SwfWriter w = sceneWriter();
    for (int i = 0; i < 2000; ++i) w.timeline().frameLabel("A fairly long frame label " + std::to_string(i));
    return oneFrame(w, loop(record(0x8C, cString("missing"))));
}

std::vector<uint8_t> pooledStrings() {
    std::vector<uint8_t> pool{1, 0};
    std::vector<uint8_t> text = cString(std::string(60000, 'x'));
    pool.insert(pool.end(), text.begin(), text.end());
    std::vector<uint8_t> push;
    for (int i = 0; i < 10000; ++i) push.insert(push.end(), {8, 0});
    SwfWriter w = sceneWriter();
    std::vector<uint8_t> script = record(0x88, pool), values = record(0x96, push);
    script.insert(script.end(), values.begin(), values.end());
    return oneFrame(w, script);
}

// A text of `glyphs` stage-sized squares, each field 0 bits wide.
std::vector<uint8_t> zeroBitGlyphs(int glyphs) {
    SwfWriter w = sceneWriter();
    BitWriter font;
    font.u16(2);
    font.bytes(filledRectangle({0, 0, 0, 255}, 0, -1024, 1024, 1024).encodeOutline());
    uint16_t id = w.define(SwfTag::DefineFont, font.data());
    BitWriter text;
    text.u8(0);
    writeMatrix(text, Matrix{});
    text.bytes({0, 0, 0x8F, static_cast<uint8_t>(id), 0, 0, 0, 255, 0, 0, 0x80, 0x25, 0x80, 0x25});
    for (int left = glyphs; left > 0; left -= 255) {
        if (left != glyphs) text.u8(0x80);
        text.u8(static_cast<uint32_t>(std::min(left, 255)));
    }
    text.u8(0);
    w.timeline().place(1, w.define(SwfTag::DefineText, text.data()));
    return oneFrame(w);
}

// A progressive 1024 x 1024 grey JPEG of 5,000 empty scans.
std::vector<uint8_t> jpegScans() {
    std::vector<uint8_t> jpeg{0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0};
    jpeg.resize(jpeg.size() + 64, 1);
    jpeg.insert(jpeg.end(), {0xFF, 0xC2, 0, 11, 8, 4, 0, 4, 0, 1, 1, 0x11, 0});  // frame
    jpeg.insert(jpeg.end(), {0xFF, 0xC4, 0, 20, 0x00, 1});                       // one DC code: '0'
    jpeg.resize(jpeg.size() + 15, 0);
    jpeg.push_back(0);
    for (int i = 0; i < 5000; ++i) jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 0, 0});
    jpeg.insert(jpeg.end(), {0xFF, 0xD9});
    SwfWriter w = sceneWriter();
    BitWriter b;
    b.bytes(jpeg);
    w.define(SwfTag::DefineBitsJpeg2, b.data());
    return oneFrame(w);
}

struct Case {
    const char* name;
    std::vector<uint8_t> (*movie)();
    bool refused;
};

class MovieBudgets : public testing::TestWithParam<Case> {};

TEST_P(MovieBudgets, PlaysOrIsRefusedAtOnce) {
    const Case& c = GetParam();
    std::vector<uint8_t> bytes = c.movie();
    auto start = std::chrono::steady_clock::now();
    auto movie = decodeOrNull(bytes);
    EXPECT_EQ(!movie, c.refused);
    if (movie) {
        MoviePlayer player(movie);
        player.gotoFrame(2);
        renderPlayer(player, 640, 480);
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    , MovieBudgets,
    testing::Values(Case{"MorphBitmapLine", morphWithBitmapLine, false}, Case{"JumpTargets", jumpsToTheNext, false},
                    Case{"FontInfoFlood", fontInfoFlood, false}, Case{"LongTargetPath", longTargetPath, false},
                    Case{"LabelLookups", manyLabels, false}, Case{"PooledStrings", pooledStrings, false},
                    Case{"JpegScans", jpegScans, false},
                    Case{"MillionGlyphs", [] { return zeroBitGlyphs(1000000); }, false},
                    Case{"GlyphFlood", [] { return zeroBitGlyphs(4000000); }, true}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace

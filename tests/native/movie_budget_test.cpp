// Small movies that ask for endless work: each is played to its third frame
// and drawn at a scene's size, or refused, in well under a second.
#include "movie_test_support.h"
#include "test_bytes.h"
#include "player/decode/swf_decoding.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;
using Tags = std::vector<std::pair<unsigned, Bytes>>;

Bytes times(int n, const Bytes& part) {
    Bytes out;
    for (int i = 0; i < n; ++i) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Tags with(Tags tags, int n, unsigned code, const Bytes& body) {
    tags.insert(tags.end(), n, {code, body});
    return tags;
}

// Font 1 of one em square, and text 2 of `records` times 255 stage-sized squares, its fields 0 bits wide.
Tags zeroBitGlyphs(int records) {
    Bytes text = join({hexBytes("0200000000008f01000000ff000080258025ff"), times(records - 1, {0x80, 255}), {0}});
    Bytes glyph = filledRectangle({}, 0, -1024, 1024, 1024).encodeOutline();
    return {{SwfTag::DefineFont, join({hexBytes("01000200"), glyph})}, {SwfTag::DefineText, text}};
}

struct Case {
    const char* name;
    Tags tags;
    uint16_t placed = 0;
    bool refused = false;
};

// A morph whose line is painted with bitmap 1; a 1024 x 1024 progressive JPEG of 5,000 empty scans.
const char* kMorph = "010000000000000f0000000001280050000800400100000001000100";
const Bytes kJpegScans =
    join({hexBytes("0100ffd8ffdb004300"), Bytes(64, 1), hexBytes("ffc2000b080400040001011100ffc400140001"),
          Bytes(16, 0), times(5000, hexBytes("ffda0008010100000000")), hexBytes("ffd9")});
Tags script(const Bytes& actions) { return {{SwfTag::DoAction, actions}}; }

const Case kCases[] = {
    {"MorphBitmapLine", {{SwfTag::DefineMorphShape2, hexBytes(kMorph)}}, 1},
    {"JumpTargets", script(times(50000, hexBytes("9902000000")))},
    {"FontInfoFlood", with({{SwfTag::DefineFont, join({hexBytes("0100"), times(32767, hexBytes("feff"))})}}, 5000,
                           SwfTag::DefineFontInfo, hexBytes("01000000"))},
    {"LongTargetPath", script(join({hexBytes("8be903"), Bytes(1000, '/'), hexBytes("009902000ffc")}))},
    {"LabelLookups", with(script(hexBytes("8c08006d697373696e6700990200f0ff")), 2000, SwfTag::FrameLabel,
                          join({Bytes(30, 'A'), hexBytes("00")}))},
    {"PooledStrings",
     script(join({hexBytes("8863ea0100"), Bytes(60000, 'x'), hexBytes("0096204e"), times(10000, hexBytes("0800"))}))},
    // 30,000 nulls pushed, and a jump back to push them again.
    {"PushLoop", script(join({hexBytes("963075"), Bytes(30000, 2), hexBytes("990200c88a00")}))},
    {"JpegScans", {{SwfTag::DefineBitsJpeg2, kJpegScans}}},
    {"MillionGlyphs", zeroBitGlyphs(3922), 2},
    {"GlyphFlood", zeroBitGlyphs(16000), 2, true},
};

class MovieBudgets : public testing::TestWithParam<Case> {};

TEST_P(MovieBudgets, PlaysOrIsRefusedAtOnce) {
    SwfWriter w = stageWriter(640, 480);
    for (const auto& [code, body] : GetParam().tags) w.rawDefinition(code, body);
    w.timeline().place(1, GetParam().placed);
    w.timeline().showFrame();
    Bytes bytes = w.finish(true);
    auto start = std::chrono::steady_clock::now();
    auto movie = decodeOrNull(bytes);
    EXPECT_EQ(!movie, GetParam().refused);
    if (movie) {
        MoviePlayer player(movie);
        player.replayTo(2);
        renderPlayer(player, 640, 480);
        EXPECT_LE(collectDrawList(player, Matrix{}).items.size(), 20000u);
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(, MovieBudgets, testing::ValuesIn(kCases), [](const auto& info) { return info.param.name; });

// A frame that places more objects than one tick's work pays for: the tick
// stops at its budget, and the rest of the list stays unmade.
TEST(MovieTick, StopsAtItsWorkBudget) {
    constexpr int kPlaced = 15000;  // under the cap on live objects, over a tick's work
    SwfWriter w = stageWriter(640, 480);
    const uint16_t square = squareShape(w, 0, 0, 10, {255, 0, 0, 255});
    w.timeline().showFrame();
    for (int depth = 1; depth <= kPlaced; ++depth) w.timeline().place(static_cast<uint16_t>(depth), square);
    w.timeline().showFrame();
    auto movie = decodeOrNull(w.finish(true));
    ASSERT_TRUE(movie);
    MoviePlayer player(movie);
    player.nextFrame();
    const size_t made = collectDrawList(player, Matrix{}).items.size();
    EXPECT_GT(made, 0u);
    EXPECT_LT(made, static_cast<size_t>(kPlaced));
}

Bytes fuzzSeed(const char* name) {
    std::ifstream in(std::string(PALLO_SOURCE_DIR) + "/tests/fuzz/corpus/swf_player_fuzz/" + name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

// Inputs the fuzzer found too slow, kept with its seeds: each plays 24 ticks
// at 640 x 480 in under 0.1 s in Release, and here, with the sanitizers and
// other tests beside it, in well under the 5-6 s they took before.
TEST(FuzzFindings, SpritesThatRemakeEachOtherPlayAtOnce) {
    for (const char* name :
         {"found-sprites-remade-each-tick-1", "found-sprites-remade-each-tick-2", "found-sprites-remade-each-tick-3"}) {
        SCOPED_TRACE(name);
        Bytes bytes = fuzzSeed(name);
        ASSERT_FALSE(bytes.empty());
        auto start = std::chrono::steady_clock::now();
        auto movie = decodeOrNull(bytes);
        ASSERT_TRUE(movie);
        MoviePlayer player(movie);
        for (int tick = 0; tick < 24; ++tick) player.nextFrame();
        renderPlayer(player, 640, 480);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.5);
    }
}

// Four JPEGs of millions of pixels in a movie of 3 KB (0.4 s in Release, 6 s
// in the 32-bit fuzz build): only the pixels the movie's decoding budget pays
// for are decoded, each image checked before it is.
TEST(FuzzFindings, BitmapsAreDecodedOnlyWithinTheMoviesBudget) {
    Bytes bytes = fuzzSeed("found-jpegs-decoded-past-budget");
    auto movie = decodeOrNull(bytes);
    ASSERT_TRUE(movie);
    uint64_t pixels = 0;
    for (const auto& [id, character] : movie->characters)
        if (character->kind == Character::Kind::Bitmap) pixels += character->bitmap.pixels.size();
    EXPECT_GT(pixels, 0u);
    EXPECT_LE(pixels, (kDecodeWorkAllowance + kDecodeWorkPerByte * bytes.size()) * kBitmapPixelsPerUnit);
}

// Frame scripts that enter a stream block's frame again and again within a
// tick (about 40 MP3 decodes a tick, 3.9 s for 24 ticks in the 32-bit fuzz
// build): each timeline hands the sound one block a tick.
TEST(FuzzFindings, AStreamBlockIsHandedOverOnceATick) {
    struct CountingSound : SoundEvents {
        std::map<uint32_t, int> blocks;
        void startSound(const SoundStart&) override {}
        void streamBlock(uint32_t timeline, const SoundStreamHead&, const std::vector<uint8_t>&, int) override {
            ++blocks[timeline];
        }
    } sound;
    auto movie = decodeOrNull(fuzzSeed("found-stream-block-per-goto"));
    ASSERT_TRUE(movie);
    MoviePlayer player(movie, &sound);
    int handed = 0;
    for (int tick = 0; tick < 24; ++tick) {
        sound.blocks.clear();
        player.nextFrame();
        for (const auto& [timeline, count] : sound.blocks) {
            EXPECT_LE(count, 1) << "tick " << tick;
            handed += count;
        }
    }
    EXPECT_GT(handed, 0);
}

#include "movie_test_support.h"
#include "player/format/bit_reader.h"
#include "player/movie.h"
#include "test_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The header, tags the player passes over, and a definition in a sprite,
// which sprites do not hold.
TEST(MoviePlayback, HeaderGivesVersionRateCountAndBackground) {
    SwfWriter w(9, TwipsRect{0, 640 * 20, 0, 480 * 20}, 12.5f);
    w.setBackground({10, 20, 30, 255});
    frameLabel(w.timeline(), "start");
    TimelineWriter inner;
    inner.rawTag(SwfTag::DefineShape, join({{40, 0}, filledRectangle({255, 0, 0, 255}, 0, 0, 2000, 2000).encode(1)}));
    inner.showFrame();
    w.timeline().place(1, w.defineSprite(inner));
    w.timeline().showFrame();
    w.timeline().rawTag(SwfTag::FileAttributes, {0, 0, 0, 0});
    w.timeline().rawTag(SwfTag::Metadata, {'<', 'x', '/', '>', 0});
    w.timeline().rawTag(999 & 0x3FF, std::vector<uint8_t>(100, 0xAB));  // unknown, long form
    w.timeline().showFrame();
    auto movie = decodeOrNull(w.finish(false));
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->version, 9);
    EXPECT_FLOAT_EQ(movie->frameRate, 12.5f);
    EXPECT_EQ(movie->declaredFrameCount, 2);
    EXPECT_EQ(movie->timeline.frames.size(), 2u);
    EXPECT_EQ(movie->frameRect.width(), 12800);
    EXPECT_EQ(movie->background, (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(movie->character(40), nullptr);
}

// Place, move (a matrix, then a character that keeps it) and remove in both
// tag versions, frame by frame; after the last frame the movie starts again.
TEST(MoviePlayback, DisplayListCommandsFrameByFrame) {
    SwfWriter w = stageWriter();
    uint16_t red = squareShape(w, 0, 0, 20, {255, 0, 0, 255});
    uint16_t blue = squareShape(w, 0, 0, 20, {0, 0, 255, 255});
    uint16_t green = squareShape(w, 50, 50, 50, {0, 255, 0, 255});
    TimelineWriter& t = w.timeline();
    t.place(3, red);
    placeV1(t, 2, green, Matrix{});
    t.showFrame();
    t.move(3, shifted(50, 50));
    t.showFrame();
    t.move(3, std::nullopt, std::nullopt, blue);
    removeV1(t, green, 2);
    t.showFrame();
    t.remove(3);
    t.showFrame();
    auto movie = decodeOrNull(w.finish(false));
    ASSERT_TRUE(movie);
    MoviePlayer player(movie);
    // The colours at (10, 10), (60, 60) and (90, 90), tick by tick.
    const std::vector<std::vector<uint32_t>> ticks = {{kRed, kGreen, kGreen},
                                                      {kWhite, kRed, kGreen},
                                                      {kWhite, kBlue, kWhite},
                                                      {kWhite, kWhite, kWhite},
                                                      {kRed, kGreen, kGreen}};
    for (size_t tick = 0; tick < ticks.size(); ++tick) {
        if (tick) player.nextFrame();
        RenderedFrame f = renderPlayer(player);
        EXPECT_EQ((std::vector<uint32_t>{f.at(10, 10), f.at(60, 60), f.at(90, 90)}), ticks[tick]) << "tick " << tick;
    }
}

TEST(MoviePlayback, SpritesAdvanceWithTheirParent) {
    SwfWriter w = stageWriter();
    TimelineWriter inner;  // red, green, blue
    inner.place(1, squareShape(w, 0, 0, 50, {255, 0, 0, 255}));
    inner.showFrame();
    for (Rgba next : {Rgba{0, 255, 0, 255}, Rgba{0, 0, 255, 255}}) {
        inner.move(1, std::nullopt, std::nullopt, squareShape(w, 0, 0, 50, next));
        inner.showFrame();
    }
    uint16_t cycle = w.defineSprite(inner);
    // A sprite holding the cycling sprite, to check nesting.
    TimelineWriter outer;
    outer.place(1, cycle, shifted(50, 0));
    outer.showFrame();
    uint16_t holder = w.defineSprite(outer);
    w.timeline().place(1, cycle);
    w.timeline().showFrame();
    w.timeline().showFrame();
    w.timeline().place(2, holder);  // placed at frame 2: starts at its own first frame
    for (int i = 0; i < 5; ++i) w.timeline().showFrame();
    std::vector<uint8_t> bytes = w.finish(false);
    const uint32_t expected[3] = {kRed, kGreen, kBlue};
    for (int frame = 0; frame < 7; ++frame) {
        RenderedFrame f = renderFrame(bytes, 100, 100, frame);
        EXPECT_EQ(f.at(25, 25), expected[frame % 3]) << "frame " << frame;
        EXPECT_EQ(f.at(75, 25), frame < 2 ? kWhite : expected[(frame - 2) % 3]) << "frame " << frame;
    }
}

TEST(MoviePlayback, SelfPlacingSpritesStayBounded) {
    SwfWriter w = stageWriter();
    uint16_t red = squareShape(w, 0, 0, 10, {255, 0, 0, 255});
    // Sprite id 2 places a square and then itself at many depths.
    TimelineWriter t;
    t.place(1, red);
    for (uint16_t depth = 2; depth < 40; ++depth) t.place(depth, 2);
    t.showFrame();
    ASSERT_EQ(w.defineSprite(t), 2);
    w.timeline().place(1, 2);
    w.timeline().showFrame();
    auto movie = decodeOrNull(w.finish(false));
    ASSERT_TRUE(movie);
    MoviePlayer player(movie);
    for (int i = 0; i < 3; ++i) player.nextFrame();
    EXPECT_EQ(renderPlayer(player, 40, 40).at(2, 2), kRed);

    // One that places itself once, 5 pixels further on, stops well within
    // what a thread's stack holds, long before the work budget would.
    SwfWriter chain = stageWriter(200, 10);
    TimelineWriter link;
    link.place(1, squareShape(chain, 0, 0, 5, {255, 0, 0, 255}));
    link.place(2, 2, shifted(5, 0));
    link.showFrame();
    ASSERT_EQ(chain.defineSprite(link), 2);
    chain.timeline().place(1, 2);
    RenderedFrame shown = shownFrame(chain, 200, 10);
    EXPECT_EQ(shown.at(2, 2), kRed);
    EXPECT_EQ(shown.at(5 * 20 + 2, 2), kWhite);
}

// Damage that leaves no movie to read; damage within a movie is the fuzzer's
// (swf_player_fuzz).
TEST(MoviePlayback, DamagedMoviesAreRefused) {
    DecodeError error;
    const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    EXPECT_FALSE(decodeMovie(junk, sizeof junk, &error));
    EXPECT_EQ(error, DecodeError::BadSignature);
    EXPECT_FALSE(decodeMovie(junk, 0, &error));
    EXPECT_EQ(error, DecodeError::TooShort);
    const uint8_t badZlib[] = {'C', 'W', 'S', 8, 100, 0, 0, 0, 1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(decodeMovie(badZlib, sizeof badZlib, &error));
    EXPECT_EQ(error, DecodeError::BadCompression);
}

// Character 1 of a movie holding only this colour-mapped bitmap, one colour, every pixel 0.
const Character* colourMappedBitmap(std::shared_ptr<const Movie>& movie, int width, int height) {
    std::vector<uint8_t> raw(3 + static_cast<size_t>((width + 3) / 4 * 4) * height, 0);
    raw[0] = 255;
    // Character 1, format 3, the width and height, one colour.
    std::vector<uint8_t> body = join({{1, 0, 3}, u32le(width | height << 16), {0}, zlibPacked(raw)});
    SwfWriter w = stageWriter();
    w.timeline().rawTag(SwfTag::DefineBitsLossless, body);
    w.timeline().showFrame();
    movie = decodeOrNull(w.finish(false));
    return movie ? movie->character(1) : nullptr;
}

TEST(MoviePlayback, BitmapsBeyondThePixelLimitOrTheirDataAreRefused) {
    // 60000 x 60000 pixels claimed by a few bytes of compressed data.
    std::vector<uint8_t> body = {1, 0, 5, 0x60, 0xEA, 0x60, 0xEA, 0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    SwfWriter w = stageWriter();
    w.timeline().rawTag(SwfTag::DefineBitsLossless2, body);
    w.timeline().showFrame();
    auto movie = decodeOrNull(w.finish(false));
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->character(1), nullptr);
    // All its data there, yet a pixel more than the limit.
    EXPECT_TRUE(colourMappedBitmap(movie, 64, 64));
    EXPECT_FALSE(colourMappedBitmap(movie, 4097, 4096));
}

// What the file declares bounds what is read: a tag cut by the end of the
// bytes, a compressed body longer than its declared length.
TEST(MoviePlayback, NothingIsReadBeyondTheDeclaredEnd) {
    SwfWriter w = stageWriter();
    w.setBackground({10, 20, 30, 255});
    w.timeline().showFrame();
    std::vector<uint8_t> oneFrame = w.finish(false);
    const uint8_t tag[] = {0x43, 0x02, 10, 20, 30};  // the background colour's tag
    auto at = std::search(oneFrame.begin(), oneFrame.end(), tag, tag + 5);
    ASSERT_NE(at, oneFrame.end());
    auto cut = decodeMovie(oneFrame.data(), static_cast<size_t>(at - oneFrame.begin()) + 3);
    if (cut) {
        EXPECT_FALSE(cut->background == (Rgba{10, 20, 30, 255}));
    }

    w.timeline().showFrame();
    std::vector<uint8_t> packed = w.finish(true);
    uint32_t declared = static_cast<uint32_t>(oneFrame.size() - 2);  // up to the first frame's end
    std::memcpy(packed.data() + 4, &declared, 4);
    auto shortened = decodeOrNull(packed);
    ASSERT_TRUE(shortened);
    EXPECT_EQ(shortened->timeline.frames.size(), 1u);
}

TEST(MovieBitReader, SkippingPastTheEndIsAnOverrun) {
    const uint8_t bytes[4] = {};
    BitReader in(bytes, 4);
    in.skip(4);
    EXPECT_FALSE(in.overrun());
    in.skip(1);
    EXPECT_TRUE(in.overrun());
    EXPECT_EQ(in.remaining(), 0u);
}

// Action records for frame scripts.
std::vector<uint8_t> pushString(const std::string& s) { return act(0x96, join({{0}, text(s)})); }
std::vector<uint8_t> pushInt(int32_t v) { return act(0x96, join({{7}, u32le(static_cast<uint32_t>(v))})); }
constexpr uint8_t kNext = 0x04, kPrev = 0x05, kPlay = 0x06, kStop = 0x07, kGotoFrame = 0x81, kGotoLabel = 0x8C,
                  kSetTarget = 0x8B, kGotoExpression = 0x9F, kGetVariable = 0x1C, kGetMember = 0x4E, kCallMethod = 0x52,
                  kPop = 0x17, kAdd = 0x0A, kIf = 0x9D;

// _root.mc.gotoAndStop(frame), the frame pushed by `pushFrame`.
std::vector<uint8_t> mcGotoAndStop(const std::vector<uint8_t>& pushFrame) {
    return join({pushFrame, pushInt(1), pushString("_root"), act(kGetVariable), pushString("mc"), act(kGetMember),
                 pushString("gotoAndStop"), act(kCallMethod), act(kPop)});
}

// Where the main timeline and its sprite "mc" stand after each tick, for
// scripts on the main timeline's frames 0..3 (labelled "zero" .. "three").
// The sprite has 3 frames; placed on frame 0, it lives on every frame.
TEST(MoviePlayback, FrameScriptsSteerTimelines) {
    struct Case {
        const char* name;
        int frame;  // the main timeline's frame holding the script
        std::vector<uint8_t> script;
        std::vector<std::pair<int, int>> expected;  // main and sprite frame after each tick
    };
    const Case cases[] = {
        {"no script loops", 0, {}, {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {0, 1}, {1, 2}}},
        {"stop on the last frame stays there", 3, act(kStop), {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {3, 1}, {3, 2}}},
        {"goto frame stops", 1, act(kGotoFrame, {3, 0}), {{0, 0}, {3, 1}, {3, 2}, {3, 0}}},
        {"goto label", 1, join({act(kGotoLabel, text("zero")), act(kPlay)}), {{0, 0}, {0, 1}, {0, 2}, {0, 0}}},
        {"next and previous frame", 2, join({act(kPrev), act(kPrev), act(kNext)}), {{0, 0}, {1, 1}, {1, 2}, {1, 0}}},
        {"set target stops the sprite",
         0,
         join({act(kSetTarget, text("mc")), act(kStop), act(kSetTarget, text(""))}),
         {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 0}}},
        {"goto by expression, label and play",
         1,
         join({pushString("three"), act(kGotoExpression, {1})}),
         {{0, 0}, {3, 1}, {0, 2}, {3, 0}}},
        {"method on a path", 0, mcGotoAndStop(pushInt(3)), {{0, 2}, {1, 2}, {2, 2}}},
        {"a goto far before the first frame stops on it",
         0,
         mcGotoAndStop(act(0x96, hexBytes("06941a6dc2000000a2"))),
         {{0, 0}, {1, 0}, {2, 0}}},  // -1e12, a double's high half first
        {"a branch on an unknown value ends the script",
         1,
         join({pushInt(1), pushInt(2), act(kAdd), act(kIf, {0, 0}), act(kStop)}),
         {{0, 0}, {1, 1}, {2, 2}}},
    };
    for (const Case& c : cases) {
        SwfWriter w = stageWriter();
        TimelineWriter inner;
        for (int i = 0; i < 3; ++i) inner.showFrame();
        uint16_t sprite = w.defineSprite(inner);
        const char* labels[] = {"zero", "one", "two", "three"};
        for (int f = 0; f < 4; ++f) {
            frameLabel(w.timeline(), labels[f]);
            if (f == 0)
                placeObject(w.timeline(), PlaceCommand{1, false, sprite, {}, {}, {}, {}, "mc", {}, {}});  // at depth 1
            if (f == c.frame && !c.script.empty()) w.timeline().actions(c.script);
            w.timeline().showFrame();
        }
        auto movie = decodeOrNull(w.finish(false));
        ASSERT_TRUE(movie);
        MoviePlayer player(movie);
        for (size_t tick = 0; tick < c.expected.size(); ++tick) {
            if (tick) player.nextFrame();
            const TimelineState* mc = player.root().objects().at(1)->sprite.get();
            EXPECT_EQ(std::make_pair(player.currentFrame(), mc->frame()), c.expected[tick])
                << c.name << ", tick " << tick;
        }
    }
}

}  // namespace

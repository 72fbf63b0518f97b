#include "movie_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Each shape tag's colours are read in FillRuleFollowsTheShapeTag.
TEST(FrameRenderer, RedSquareFillsExactlyItsPixels) {
    SwfWriter w = stageWriter();
    w.timeline().place(1, squareShape(w, 20, 30, 40, {255, 0, 0, 255}));
    RenderedFrame f = shownFrame(w);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            bool inside = x >= 20 && x < 60 && y >= 30 && y < 70;
            ASSERT_EQ(f.at(x, y), inside ? kRed : kWhite) << x << "," << y;
        }
}

TEST(FrameRenderer, ShapesBeyondEverySurfaceEdgeAreClippedNotLost) {
    SwfWriter w = stageWriter();
    w.timeline().place(1, squareShape(w, -50, -50, 200, {255, 0, 0, 255}));
    // A thin sliver far outside on the left, crossing every row.
    w.timeline().place(2, w.defineShape(filledRectangle({0, 0, 255, 255}, -2000000, -20000, 20, 80000)));
    RenderedFrame f = shownFrame(w, 37, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(f.at(x, y), kRed) << x << "," << y;
    // A triangle with its apex above the surface: its right edge enters at the
    // top (x 50) and leaves through the right border (y 50).
    ShapeBuilder s;
    s.setStyles(0, s.addSolidFill({0, 0, 255, 255}), 0);
    s.moveTo(0, -1000);
    s.lineTo(4000, 3000);
    s.lineTo(-4000, 3000);
    s.lineTo(0, -1000);
    expectPixels(renderShape(s), {{30, 1, kBlue}, {70, 1, kWhite}, {98, 60, kBlue}, {2, 98, kBlue}});
}

TEST(FrameRenderer, SquareOffThePixelGridBlendsOnlyItsEdge) {
    // x from 10.5 to 30.5
    RenderedFrame f = renderShape(filledRectangle({255, 0, 0, 255}, 10 * 20 + 10, 10 * 20, 20 * 20, 20 * 20));
    EXPECT_TRUE(near(f.at(10, 20), 0xFF8080, 2));
    EXPECT_TRUE(near(f.at(30, 20), 0xFF8080, 2));
    expectPixels(f, {{11, 20, kRed}, {29, 20, kRed}, {9, 20, kWhite}, {31, 20, kWhite}});
}

TEST(FrameRenderer, CurvedEdgesFollowTheCircle) {
    ShapeBuilder s;
    s.setStyles(0, s.addSolidFill({255, 0, 0, 255}), 0);
    ellipse(s, 1000, 1000, 600, 600);  // centre (50, 50), radius 30 px
    RenderedFrame f = renderShape(s);
    double covered = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            double dist = std::hypot(x + 0.5 - 50, y + 0.5 - 50);
            uint32_t p = f.at(x, y);
            if (dist < 29 || dist > 31) {
                EXPECT_EQ(p, dist < 29 ? kRed : kWhite) << x << "," << y;
            }
            covered += (255 - channel(p, 8)) / 255.0;
        }
    EXPECT_NEAR(covered, M_PI * 30 * 30, M_PI * 30 * 30 * 0.01);
}

TEST(FrameRenderer, ADiagonalSharedEdgeLetsNothingBelowShowThrough) {
    ShapeBuilder s;
    uint32_t red = s.addSolidFill({255, 0, 0, 255});
    uint32_t blue = s.addSolidFill({0, 0, 255, 255});
    // Two triangles splitting the square (10,10)-(90,90) along a slanted edge.
    s.moveTo(200, 200);
    s.setStyles(blue, red, 0);
    s.lineTo(1800, 1500);
    s.setStyles(0, red, 0);
    s.lineTo(200, 1800);
    s.lineTo(200, 200);
    s.moveTo(1800, 1500);
    s.setStyles(blue, 0, 0);
    s.lineTo(1800, 200);
    s.lineTo(200, 200);
    Matrix mirrored;  // left and right swapped: the inside of each fill changes side
    mirrored.a = -1;
    mirrored.tx = 2000;
    for (const Matrix& m : {Matrix{}, mirrored}) {
        RenderedFrame f = renderShape(s, 3, false, m);
        int mixed = 0;
        for (int y = 11; y < 75; ++y)
            for (int x = 11; x < 89; ++x) {
                uint32_t p = f.at(x, y);
                ASSERT_EQ(channel(p, 8), 0) << x << "," << y << " " << std::hex << p;  // no white from below
                ASSERT_NEAR(channel(p, 16) + channel(p, 0), 255, 1) << x << "," << y;
                mixed += channel(p, 16) > 20 && channel(p, 0) > 20;
            }
        EXPECT_GT(mixed, 60);  // the edge itself is anti-aliased
        EXPECT_EQ(f.at(m.a > 0 ? 20 : 79, 60), kRed);
        EXPECT_EQ(f.at(m.a > 0 ? 80 : 19, 20), kBlue);
    }
}

TEST(FrameRenderer, NewStyleArraysRestartTheIndices) {
    ShapeBuilder s = filledRectangle({255, 0, 0, 255}, 0, 0, 1000, 1000);
    s.newStyles();
    s.addSolidFill({0, 255, 0, 255});
    s.setStyles(0, 1, 0);
    s.rectangle(1000, 1000, 1000, 1000);
    expectPixels(renderShape(s, 2), {{25, 25, kRed}, {75, 75, kGreen}, {75, 25, kWhite}});
}

TEST(FrameRenderer, DepthNotPlacementOrdersAndAlphaBlendsOverWhatIsBelow) {
    SwfWriter w = stageWriter();
    w.timeline().place(5, squareShape(w, 40, 40, 60, {255, 0, 0, 128}));
    w.timeline().place(2, squareShape(w, 0, 0, 60, {0, 0, 255, 255}));
    RenderedFrame f = shownFrame(w);
    EXPECT_TRUE(near(f.at(80, 80), 0xFF7F7F, 1)) << std::hex << f.at(80, 80);
    EXPECT_TRUE(near(f.at(50, 50), 0x80007F, 1)) << std::hex << f.at(50, 50);
    EXPECT_EQ(f.at(20, 20), kBlue);
}

TEST(FrameRenderer, ColourTransformsChangeEveryChannel) {
    SwfWriter w = stageWriter();
    uint16_t red = squareShape(w, 0, 0, 50, {255, 0, 0, 255});
    ColorTransform toGreen;
    toGreen.mul[0] = 0;
    toGreen.add[1] = 255;
    w.timeline().place(1, red, std::nullopt, toGreen);
    ColorTransform half;
    half.mul[3] = 0.5f;
    w.timeline().place(2, red, shifted(50, 0), half);
    ColorTransform noRed;  // the first place tag has no alpha terms
    noRed.mul[0] = 0.5f;
    noRed.add[2] = 100;
    placeV1(w.timeline(), 3, red, shifted(0, 50), noRed);
    RenderedFrame f = shownFrame(w);
    expectPixels(f, {{25, 25, kGreen}, {75, 75, kWhite}});
    EXPECT_TRUE(near(f.at(75, 25), 0xFF7F7F, 1)) << std::hex << f.at(75, 25);
    EXPECT_TRUE(near(f.at(25, 75), 0x800064, 1)) << std::hex << f.at(25, 75);
}

TEST(FrameRenderer, MasksShowOnlyTheDepthsTheyClip) {
    SwfWriter w = stageWriter();
    placeMask(w.timeline(), 1, squareShape(w, 0, 0, 50, {255, 0, 0, 255}), 3, shifted(25, 0));  // x 25..75, y 0..50
    w.timeline().place(2, squareShape(w, 0, 0, 100, {0, 0, 255, 255}));
    w.timeline().place(4, squareShape(w, 80, 80, 20, {0, 255, 0, 255}));  // above the clip depth
    // Outside the mask, inside it, and where only the mask's own red would be.
    expectPixels(
        shownFrame(w),
        {{10, 10, kWhite}, {30, 10, kBlue}, {74, 49, kBlue}, {76, 10, kWhite}, {50, 60, kWhite}, {90, 90, kGreen}});
}

// A sprite's own mask under a mask of its parent's: each clips what the sprite shows.
TEST(FrameRenderer, NestedMasksIntersect) {
    SwfWriter w = stageWriter();
    uint16_t topLeft = squareShape(w, 0, 0, 60, {255, 0, 0, 255});
    uint16_t bottomRight = squareShape(w, 40, 40, 60, {255, 0, 0, 255});
    uint16_t blue = squareShape(w, 0, 0, 100, {0, 0, 255, 255});
    TimelineWriter inner;
    placeMask(inner, 1, bottomRight, 2);
    inner.place(2, blue);
    inner.showFrame();
    uint16_t sprite = w.defineSprite(inner);
    placeMask(w.timeline(), 1, topLeft, 2);
    w.timeline().place(2, sprite);
    expectPixels(shownFrame(w), {{50, 50, kBlue}, {20, 20, kWhite}, {80, 80, kWhite}});  // in both masks, in one only
}

TEST(FrameRenderer, BitmapFillsRepeatOrClampAndSmooth) {
    struct Probe {
        int x, y;
        uint32_t want;
        int tolerance;
    };
    struct Case {
        const char* name;
        uint32_t right;  // the right pixel of the 2 x 1 bitmap; the left one is red
        bool repeat, smooth;
        Matrix m;
        std::vector<Probe> probes;
    };
    // One bitmap pixel becomes 10 x 10 screen pixels, or 50 x 100 clamped at the ends.
    const Case cases[] = {
        {"repeated",
         0xFF0000FFu,
         true,
         false,
         Matrix{200, 0, 0, 200, 0, 0},
         {{5, 5, kRed, 0}, {15, 5, kBlue, 1}, {25, 95, kRed, 0}, {95, 45, kBlue, 1}}},
        {"repeated, half transparent",
         0x800000FFu,
         true,
         false,
         Matrix{200, 0, 0, 200, 0, 0},
         {{5, 5, kRed, 0}, {15, 5, 0x7F7FFF, 1}, {95, 45, 0x7F7FFF, 1}}},
        {"smoothed and clamped",
         0xFF0000FFu,
         false,
         true,
         Matrix{1000, 0, 0, 2000, 0, 0},
         {{5, 50, kRed, 0}, {37, 50, 0xBF0040, 4}, {50, 50, 0x7F0080, 3}, {95, 50, kBlue, 0}}},
    };
    for (const Case& c : cases) {
        SwfWriter w = stageWriter();
        uint16_t bitmap = defineBitmap(w, 2, 1, {0xFFFF0000u, c.right}, c.right >> 24 != 255);
        ShapeBuilder s;
        s.setStyles(0, s.addFill(bitmapFill(bitmap, c.m, c.repeat, c.smooth)), 0);
        s.rectangle(0, 0, 2000, 2000);
        w.timeline().place(1, w.defineShape(s));
        RenderedFrame f = shownFrame(w);
        for (const Probe& p : c.probes)
            EXPECT_TRUE(near(f.at(p.x, p.y), p.want, p.tolerance)) << c.name << std::hex << " got " << f.at(p.x, p.y);
    }
}

TEST(FrameRenderer, ShowAllKeepsProportionsWithBackgroundBars) {
    SwfWriter w = stageWriter();
    w.setBackground({0, 255, 0, 255});
    w.timeline().place(1, squareShape(w, 0, 0, 100, {255, 0, 0, 255}));
    w.timeline().showFrame();
    std::vector<uint8_t> movie = w.finish(false);
    expectPixels(renderFrame(movie, 200, 100), {{49, 50, kGreen}, {50, 0, kRed}, {149, 99, kRed}, {150, 50, kGreen}});
    expectPixels(renderFrame(movie, 60, 120), {{30, 29, kGreen}, {0, 30, kRed}, {59, 89, kRed}, {30, 90, kGreen}});
}

TEST(FrameRenderer, FillRuleFollowsTheShapeTag) {
    // Two contours with the fill on the same side: the inner one cuts a hole
    // by the even-odd rule and adds nothing by the non-zero rule.
    struct Case {
        int version;
        bool nonZero;
        uint32_t centre;
    };
    for (Case c : {Case{1, false, kWhite}, Case{2, false, kWhite}, Case{3, false, kWhite}, Case{4, false, kWhite},
                   Case{4, true, kRed}}) {
        ShapeBuilder s = filledRectangle({255, 0, 0, 255}, 200, 200, 1600, 1600);
        s.rectangle(600, 600, 800, 800);
        RenderedFrame f = renderShape(s, c.version, c.nonZero);
        EXPECT_EQ(f.at(50, 50), c.centre) << "version " << c.version << (c.nonZero ? " non-zero" : "");
        EXPECT_EQ(f.at(15, 15), kRed);
    }
}

// Spreads, radial and focal gradients are drawn beside librsvg's in
// SwfFidelity; SVG's pictures do not mix in linear light.
TEST(FrameRenderer, GradientsMixInLinearLightWhenAsked) {
    for (bool linearRgb : {false, true}) {
        FillStyle g;
        g.kind = FillStyle::Kind::Linear;
        g.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
        g.linearRgb = linearRgb;
        g.matrix = Matrix{1000.0f / 32768, 0, 0, 1000.0f / 32768, 1000, 1000};  // from x 25 to 75
        ShapeBuilder s;
        s.setStyles(0, s.addFill(g), 0);
        s.rectangle(0, 0, 2000, 2000);
        uint32_t middle = renderShape(s, 4).at(50, 50);
        EXPECT_TRUE(near(middle, linearRgb ? 0xBC00BC : 0x7F0080, 6)) << std::hex << middle;
    }
}

TEST(FrameRenderer, LineCapsJoinsAndStrokeFills) {
    using Cap = LineStyle::Cap;
    using Join = LineStyle::Join;
    struct Probe {
        int x, y;
        bool inked;
    };
    struct Case {
        const char* name;
        bool peak;  // a path up to a peak and down, else a straight line
        Cap cap;
        Join join;
        std::vector<Probe> probes;
        float miterLimit = 3;
    };
    const Case cases[] = {
        {"no cap", false, Cap::None, Join::Round, {{83, 50, false}, {78, 50, true}}},
        {"square cap", false, Cap::Square, Join::Round, {{83, 50, true}, {84, 46, true}}},
        {"round cap", false, Cap::Round, Join::Round, {{83, 50, true}, {84, 46, false}}},
        {"miter join", true, Cap::None, Join::Miter, {{50, 16, true}, {50, 12, true}}},
        {"round join", true, Cap::None, Join::Round, {{50, 16, true}, {50, 12, false}}},
        {"bevel join", true, Cap::None, Join::Bevel, {{50, 16, false}, {50, 19, true}}},
        {"miter beyond its limit", true, Cap::None, Join::Miter, {{50, 16, false}, {50, 19, true}}, 2},
    };
    for (const Case& c : cases) {
        LineStyle l;
        l.width = 200;  // 10 pixels
        l.color = {0, 0, 0, 255};
        l.startCap = l.endCap = c.cap;
        l.join = c.join;
        l.miterLimit = c.miterLimit;
        ShapeBuilder s;
        s.setStyles(0, 0, s.addLineStyle(l));
        if (c.peak) {
            s.moveTo(400, 1600);
            s.lineTo(1000, 400);
            s.lineTo(1600, 1600);
        } else {
            s.moveTo(400, 1000);
            s.lineTo(1600, 1000);
        }
        RenderedFrame f = renderShape(s, 4);
        for (const Probe& p : c.probes)
            EXPECT_EQ(f.at(p.x, p.y), p.inked ? 0u : kWhite) << c.name << " at " << p.x << "," << p.y;
    }
    // A stroke painted with a gradient: red at its left end, blue at its right.
    LineStyle l;
    l.width = 200;
    FillStyle g;
    g.kind = FillStyle::Kind::Linear;
    g.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    g.matrix = Matrix{1200.0f / 32768, 0, 0, 1200.0f / 32768, 1000, 1000};
    l.fill = g;
    ShapeBuilder s;
    s.setStyles(0, 0, s.addLineStyle(l));
    s.moveTo(400, 1000);
    s.lineTo(1600, 1000);
    RenderedFrame f = renderShape(s, 4);
    EXPECT_TRUE(near(f.at(21, 50), kRed, 8)) << std::hex << f.at(21, 50);
    EXPECT_TRUE(near(f.at(78, 50), kBlue, 8)) << std::hex << f.at(78, 50);
}

TEST(FrameRenderer, BlendModesAndVisibility) {
    struct Case {
        std::optional<BlendMode> mode;
        std::optional<bool> visible;
        uint32_t overGreen, overWhite;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, kRed, kRed},
        {BlendMode::Multiply, std::nullopt, 0x000000, kRed},
        {BlendMode::Screen, std::nullopt, 0xFFFF00, kWhite},
        {BlendMode::Difference, std::nullopt, 0xFFFF00, 0x00FFFF},
        {BlendMode::Invert, std::nullopt, 0xFF00FF, 0x000000},
        {BlendMode::Alpha, std::nullopt, kGreen, kWhite},  // needs a layer: not drawn
        {std::nullopt, false, kGreen, kWhite},
    };
    for (const Case& c : cases) {
        SwfWriter w = stageWriter();
        w.timeline().place(1, squareShape(w, 0, 0, 50, {0, 255, 0, 255}));
        PlaceCommand red;
        red.depth = 2;
        red.characterId = squareShape(w, 0, 0, 100, {255, 0, 0, 255});
        red.blendMode = c.mode;
        red.visible = c.visible;
        placeObject(w.timeline(), red);
        int mode = c.mode ? static_cast<int>(*c.mode) : 0;
        expectPixels(shownFrame(w), {{25, 25, c.overGreen}, {75, 75, c.overWhite}}, "mode " + std::to_string(mode));
    }
}

}  // namespace

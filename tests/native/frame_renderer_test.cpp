#include "movie_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A shape of one rectangle over the whole stage filled with the style.
ShapeBuilder filledWith(const FillStyle& fill) {
    ShapeBuilder s;
    s.setStyles(0, s.addFill(fill), 0);
    s.rectangle(0, 0, 2000, 2000);
    return s;
}

// A linear gradient from red to blue, centred on the stage and `span` twips wide.
FillStyle redToBlue(float span, bool linearRgb = false) {
    FillStyle g;
    g.kind = FillStyle::Kind::Linear;
    g.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    g.linearRgb = linearRgb;
    g.matrix = Matrix{span / 32768, 0, 0, span / 32768, 1000, 1000};
    return g;
}

// A square fills exactly its pixels; one beyond every surface edge, and a
// sliver far outside on the left crossing every row, are clipped, not lost.
// Each shape tag's colours are read in FillRuleFollowsTheShapeTag.
TEST(FrameRenderer, SquaresFillExactlyTheirPixelsAndAreClippedNotLost) {
    for (bool beyond : {false, true}) {
        SwfWriter w = stageWriter();
        const Rgba red{255, 0, 0, 255};
        w.timeline().place(1, beyond ? squareShape(w, -50, -50, 200, red) : squareShape(w, 20, 30, 40, red));
        if (beyond)
            w.timeline().place(2, w.defineShape(filledRectangle({0, 0, 255, 255}, -2000000, -20000, 20, 80000)));
        RenderedFrame f = shownFrame(w, beyond ? 37 : 100, beyond ? 23 : 100);
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                bool inside = beyond || (x >= 20 && x < 60 && y >= 30 && y < 70);
                ASSERT_EQ(f.at(x, y), inside ? kRed : kWhite) << x << "," << y;
            }
    }
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
    expectPixels(f, {{9, 20, kWhite}, {10, 20, 0xFF8080, 2}, {11, 20, kRed}});
    expectPixels(f, {{29, 20, kRed}, {30, 20, 0xFF8080, 2}, {31, 20, kWhite}});
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
    const Matrix mirrored{-1, 0, 0, 1, 2000, 0};  // left and right swapped: the inside of each fill changes side
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
    expectPixels(shownFrame(w), {{80, 80, 0xFF7F7F, 1}, {50, 50, 0x80007F, 1}, {20, 20, kBlue}});
}

TEST(FrameRenderer, ColourTransformsChangeEveryChannel) {
    SwfWriter w = stageWriter();
    uint16_t red = squareShape(w, 0, 0, 50, {255, 0, 0, 255});
    w.timeline().place(1, red, std::nullopt, ColorTransform{{0, 1, 1, 1}, {0, 255, 0, 0}});  // to green
    w.timeline().place(2, red, shifted(50, 0), ColorTransform{{1, 1, 1, 0.5f}, {}});         // half
    // Half the red and some blue; the first place tag has no alpha terms.
    placeV1(w.timeline(), 3, red, shifted(0, 50), ColorTransform{{0.5f, 1, 1, 1}, {0, 0, 100, 0}});
    expectPixels(shownFrame(w), {{25, 25, kGreen}, {75, 75, kWhite}, {75, 25, 0xFF7F7F, 1}, {25, 75, 0x800064, 1}});
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
    struct Case {
        uint32_t right;  // the right pixel of the 2 x 1 bitmap; the left one is red
        bool clampedAndSmoothed;
        std::vector<Pixel> pixels;
    };
    // One bitmap pixel becomes 10 x 10 screen pixels repeated, or 50 x 100 clamped at the ends.
    const Case cases[] = {
        {0xFF0000FFu, false, {{5, 5, kRed}, {15, 5, kBlue, 1}, {25, 95, kRed}, {95, 45, kBlue, 1}}},
        {0x800000FFu, false, {{5, 5, kRed}, {15, 5, 0x7F7FFF, 1}, {95, 45, 0x7F7FFF, 1}}},
        {0xFF0000FFu, true, {{5, 50, kRed}, {37, 50, 0xBF0040, 4}, {50, 50, 0x7F0080, 3}, {95, 50, kBlue}}},
    };
    for (const Case& c : cases) {
        SwfWriter w = stageWriter();
        uint16_t bitmap = defineBitmap(w, 2, 1, {0xFFFF0000u, c.right}, c.right >> 24 != 255);
        const bool s = c.clampedAndSmoothed;
        const Matrix m{s ? 1000.0f : 200, 0, 0, s ? 2000.0f : 200};
        w.timeline().place(1, w.defineShape(filledWith(bitmapFill(bitmap, m, !s, s))));
        expectPixels(shownFrame(w), c.pixels, s ? "clamped" : "repeated");
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
    for (bool linearRgb : {false, true})
        expectPixels(renderShape(filledWith(redToBlue(1000, linearRgb)), 4),
                     {{50, 50, linearRgb ? 0xBC00BCu : 0x7F0080u, 6}});
}

// Caps and joins of a 10-pixel line, black, or painted with a gradient: red
// at its left end, blue at its right.
TEST(FrameRenderer, LineCapsJoinsAndStrokeFills) {
    using Cap = LineStyle::Cap;
    using Join = LineStyle::Join;
    constexpr uint32_t kInk = 0;
    struct Case {
        const char* name;
        bool peak;  // a path up to a peak and down, else a straight line
        Cap cap;
        Join join;
        std::vector<Pixel> pixels;
        float miterLimit = 3;
        bool painted = false;
    };
    const Case cases[] = {
        {"no cap", false, Cap::None, Join::Round, {{83, 50, kWhite}, {78, 50, kInk}}},
        {"square cap", false, Cap::Square, Join::Round, {{83, 50, kInk}, {84, 46, kInk}}},
        {"round cap", false, Cap::Round, Join::Round, {{83, 50, kInk}, {84, 46, kWhite}}},
        {"miter join", true, Cap::None, Join::Miter, {{50, 16, kInk}, {50, 12, kInk}}},
        {"round join", true, Cap::None, Join::Round, {{50, 16, kInk}, {50, 12, kWhite}}},
        {"bevel join", true, Cap::None, Join::Bevel, {{50, 16, kWhite}, {50, 19, kInk}}},
        {"miter beyond its limit", true, Cap::None, Join::Miter, {{50, 16, kWhite}, {50, 19, kInk}}, 2},
        {"gradient", false, Cap::Round, Join::Round, {{21, 50, kRed, 8}, {78, 50, kBlue, 8}}, 3, true},
    };
    for (const Case& c : cases) {
        LineStyle l{200, {0, 0, 0, 255}, c.cap, c.cap, c.join, c.miterLimit, true, {}};
        if (c.painted) l.fill = redToBlue(1200);
        ShapeBuilder s;
        s.setStyles(0, 0, s.addLineStyle(l));
        s.moveTo(400, c.peak ? 1600 : 1000);
        if (c.peak) s.lineTo(1000, 400);
        s.lineTo(1600, c.peak ? 1600 : 1000);
        expectPixels(renderShape(s, 4), c.pixels, c.name);
    }
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
        const uint16_t red = squareShape(w, 0, 0, 100, {255, 0, 0, 255});
        placeObject(w.timeline(), PlaceCommand{2, false, red, {}, {}, {}, {}, {}, c.mode, c.visible});
        expectPixels(shownFrame(w), {{25, 25, c.overGreen}, {75, 75, c.overWhite}},
                     "case " + std::to_string(&c - cases));
    }
}

}  // namespace

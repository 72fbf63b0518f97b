#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "scene/placeholder_name.h"
#include "scene/window_keys.h"
#include "scene/window_shape.h"

namespace {
const ScreenArea kWorkArea{0, 0, 1280, 1000};
using Box = std::array<int, 4>;  // x, y, width, height
Box box(const WindowPlacement& p) { return {p.x, p.y, p.width, p.height}; }
}  // namespace

TEST(WindowShape, FractionOfTheAreaAtTheMoviesProportionsInTheBottomRightCorner) {
    WindowPlacement p = shapeWindow("2/3", "640x480", kWorkArea, 8, 30);
    EXPECT_EQ(p.shape, WindowShape::Fraction);
    EXPECT_EQ(box(p), (Box{1280 - 861, 1000 - 670, 853 + 8, 640 + 30}));

    // The default third of the area, 800x600 when the size is absent: the
    // height limits on a wide screen.
    WindowPlacement third = shapeWindow("1/3", "", ScreenArea{0, 0, 1920, 1040}, 0, 0);
    EXPECT_EQ(third.height, 346);
    EXPECT_EQ(third.width, 462);
}

TEST(WindowShape, UnreadableOrImpossibleFractionsKeepTheTemplate) {
    for (const char* mode : {"abc", "3", "1/0", "", "-1/3", "1/-3", "Fullscreen"})
        EXPECT_EQ(shapeWindow(mode, "640x480", kWorkArea, 8, 30).shape, WindowShape::TemplateSize) << mode;
}

TEST(WindowShape, MovieSizesThatCannotScaleFallBackToTheDefault) {
    WindowPlacement zero = shapeWindow("1/2", "0x0", kWorkArea, 0, 0);
    WindowPlacement fallback = shapeWindow("1/2", "", kWorkArea, 0, 0);
    EXPECT_EQ(zero.width, fallback.width);
    EXPECT_EQ(zero.height, fallback.height);
    EXPECT_GT(zero.width, 0);
    // A width alone keeps the default height.
    WindowPlacement wide = shapeWindow("1/1", "1600", kWorkArea, 0, 0);
    EXPECT_EQ(wide.width, 1280);
    EXPECT_EQ(wide.height, 480);
}

TEST(WindowShape, FullscreenCoversTheAreaAndMaximizedPutsTheBordersOutside) {
    ScreenArea area{0, 0, 1280, 1024};
    WindowPlacement full = shapeWindow("fullscreen", "", area, 8, 30);
    EXPECT_EQ(full.shape, WindowShape::Fullscreen);
    EXPECT_EQ(full.width, 1280);
    EXPECT_EQ(full.height, 1024);

    WindowPlacement maximized = shapeWindow("maximized", "", area, 9, 30);
    EXPECT_EQ(maximized.shape, WindowShape::Maximized);
    EXPECT_EQ(box(maximized), (Box{-4, -5, 1289, 1034}));
}

TEST(PlaceholderName, CountsLikeAnOdometerAndStopsAtTheEnd) {
    const std::pair<std::string, std::string> steps[] = {{kFirstPlaceholderName, "aaaaaaab"},
                                                         {"aaaaaaaz", "aaaaaaba"},
                                                         {"azzzzzzz", "baaaaaaa"},
                                                         {"zzzzzzzz", "zzzzzzzz"}};
    for (auto [name, next] : steps) {
        advancePlaceholderName(name);
        EXPECT_EQ(name, next);
    }
}

TEST(WindowShape, TruncationIsExactAtWholeNumbers) {
    // 1280 / 800 / 3 * 600 is exactly 320; rounding must not make it 319.
    WindowPlacement p = shapeWindow("1/3", "", ScreenArea{0, 0, 1280, 1024}, 0, 0);
    EXPECT_EQ(p.width, 426);
    EXPECT_EQ(p.height, 320);
    WindowPlacement huge = shapeWindow("2000000000/1", "2000000000x1", kWorkArea, 0, 0);
    EXPECT_EQ(huge.shape, WindowShape::Fraction);
}

// Nonsense keys on a large screen in real pixels: the sizes stay positive
// and the window keeps to the area's bottom-right corner.
TEST(WindowShape, HugeFractionsOnLargeScreensStayWithinRange) {
    const ScreenArea screen{0, 0, 3840, 2160};
    for (const char* mode : {"1000000/1", "999999/2", "2147483647/1"}) {
        for (const char* movie : {"800x600", "1x1000000", "1000000x1"}) {
            WindowPlacement p = shapeWindow(mode, movie, screen, 16, 39);
            EXPECT_GT(p.width, 16) << mode << " " << movie;
            EXPECT_GT(p.height, 39) << mode << " " << movie;
            EXPECT_EQ(p.x + p.width, 3840) << mode << " " << movie;
            EXPECT_EQ(p.y + p.height, 2160) << mode << " " << movie;
        }
    }
}

TEST(WindowKeys, DefaultsAndTheCloseButtonsThreeActions) {
    auto narrow = [](const std::u16string& text) { return std::string(text.begin(), text.end()); };
    KeyValueDocument keys;
    const WindowKeys plain = windowKeysOf(keys, narrow);
    EXPECT_EQ(plain.screenSize, "1/3");
    EXPECT_FALSE(plain.hideCursor || plain.hideTaskbar || plain.mute);
    EXPECT_EQ(plain.close, CloseAction::Close);
    for (auto [text, action] : {std::pair{u"minimize", CloseAction::Minimize},
                                {u"nothing", CloseAction::Nothing},
                                {u"close", CloseAction::Close}}) {
        keys.parse(std::u16string(u"close = ") + text + u"\r\nmute = true\r\nscreen-size = full\r\n");
        const WindowKeys set = windowKeysOf(keys, narrow);
        EXPECT_EQ(set.close, action);
        EXPECT_TRUE(set.mute);
        EXPECT_EQ(set.screenSize, "full");
    }
}

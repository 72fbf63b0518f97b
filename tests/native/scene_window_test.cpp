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

// Fractions of the area at the movie's proportions (800x600 when the size is
// absent or cannot scale, a width alone keeping the default height), in the
// bottom-right corner with the frame around them (the height limits on a
// wide area); full screen covers the area, maximized puts the borders outside
// it. Sizes truncate exactly at whole numbers: 1280 / 800 / 3 * 600 is 320.
TEST(WindowShape, EachModeTakesItsShareOfTheArea) {
    const ScreenArea wide{0, 0, 1920, 1040}, square{0, 0, 1280, 1024};
    const struct {
        const char *mode, *movie;
        ScreenArea area;
        int frameWidth, frameHeight;
        WindowShape shape;
        Box box;
    } cases[] = {
        {"2/3", "640x480", kWorkArea, 8, 30, WindowShape::Fraction, {1280 - 861, 1000 - 670, 853 + 8, 640 + 30}},
        {"1/3", "", wide, 0, 0, WindowShape::Fraction, {1920 - 462, 1040 - 346, 462, 346}},
        {"1/2", "", kWorkArea, 0, 0, WindowShape::Fraction, {640, 520, 640, 480}},
        {"1/2", "0x0", kWorkArea, 0, 0, WindowShape::Fraction, {640, 520, 640, 480}},
        {"1/1", "1600", kWorkArea, 0, 0, WindowShape::Fraction, {0, 520, 1280, 480}},
        {"1/3", "", square, 0, 0, WindowShape::Fraction, {1280 - 426, 1024 - 320, 426, 320}},
        {"fullscreen", "", square, 8, 30, WindowShape::Fullscreen, {0, 0, 1280, 1024}},
        {"maximized", "", square, 9, 30, WindowShape::Maximized, {-4, -5, 1289, 1034}},
    };
    for (const auto& c : cases) {
        const WindowPlacement p = shapeWindow(c.mode, c.movie, c.area, c.frameWidth, c.frameHeight);
        EXPECT_EQ(p.shape, c.shape) << c.mode << " " << c.movie;
        EXPECT_EQ(box(p), c.box) << c.mode << " " << c.movie;
    }
}

TEST(WindowShape, UnreadableOrImpossibleFractionsKeepTheTemplate) {
    for (const char* mode : {"abc", "3", "1/0", "", "-1/3", "1/-3", "Fullscreen"})
        EXPECT_EQ(shapeWindow(mode, "640x480", kWorkArea, 8, 30).shape, WindowShape::TemplateSize) << mode;
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

// Nonsense keys on a large screen in real pixels: still fractions, the sizes
// stay positive and the window keeps to the area's bottom-right corner.
TEST(WindowShape, HugeFractionsOnLargeScreensStayWithinRange) {
    const ScreenArea screen{0, 0, 3840, 2160};
    for (const char* mode : {"1000000/1", "999999/2", "2147483647/1", "2000000000/1"}) {
        for (const char* movie : {"800x600", "1x1000000", "1000000x1", "2000000000x1"}) {
            WindowPlacement p = shapeWindow(mode, movie, screen, 16, 39);
            EXPECT_EQ(p.shape, WindowShape::Fraction) << mode << " " << movie;
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

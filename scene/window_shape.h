#pragma once
#include <string>

// Where a scene's window goes, from its "screen-size" and "original-size"
// keys, the screen area it may use and its frame sizes.
struct ScreenArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

enum class WindowShape {
    Fullscreen,    // no caption or border, covering the area
    Maximized,     // borders just outside the area, caption visible
    Fraction,      // a fraction of the area, bottom-right corner
    TemplateSize,  // the mode could not be read: the window keeps its size
};

struct WindowPlacement {
    WindowShape shape = WindowShape::TemplateSize;
    int x = 0, y = 0, width = 0, height = 0;
};

// frameWidth/frameHeight: window size minus client size, as created.
WindowPlacement shapeWindow(const std::string& mode, const std::string& originalSize, const ScreenArea& area,
                            int frameWidth, int frameHeight);

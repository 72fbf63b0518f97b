#pragma once
#include <string>

#include "common/key_value_document.h"

// What a scene's script asks of its window: its shape ("screen-size",
// "original-size", see window_shape.h), the cursor out of the way, the
// taskbar covered, the sound off, and what the close button does.
enum class CloseAction { Close, Minimize, Nothing };

struct WindowKeys {
    std::string screenSize;
    std::string originalSize;
    bool hideCursor = false;
    bool hideTaskbar = false;
    bool mute = false;
    CloseAction close = CloseAction::Close;
};

// The keys as a loaded script sets them, with their defaults: a third of the
// screen, the cursor and the taskbar left alone, the sound on, the close
// button closing. Texts go through `narrow`, the system's narrow code page.
WindowKeys windowKeysOf(const KeyValueDocument& keys, NarrowText narrow);

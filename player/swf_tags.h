#pragma once

// Tag codes the player reads or the writer produces.
namespace SwfTag {
enum : unsigned {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    SetBackgroundColor = 9,
    DefineBitsLossless = 20,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineBitsLossless2 = 36,
    DefineSprite = 39,
    FrameLabel = 43,
    FileAttributes = 69,
    Metadata = 77,
    DefineShape4 = 83,
};
}

#pragma once

#include "player/swf_types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// A decoded movie: the characters it defines and its main timeline.

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

struct FillStyle {
    enum class Kind { Solid, Linear, Radial, Bitmap };
    Kind kind = Kind::Solid;
    Rgba color;
    Matrix matrix;                    // gradient or bitmap space -> shape space
    std::vector<GradientStop> stops;  // at least one for gradients
    uint16_t bitmapId = 0;
    bool repeat = true;
    bool smooth = true;
};

struct LineStyle {
    uint16_t width = 0;  // twips
    Rgba color;
};

// One straight or quadratic edge in shape twips. Style indices are 1-based
// into the shape's arrays, 0 meaning none. fill0 lies left of the direction
// of travel, fill1 right of it.
struct ShapeEdge {
    PointF from, control, to;
    bool curved = false;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
};

struct Shape {
    TwipsRect bounds;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeEdge> edges;
};

struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // premultiplied 0xAARRGGBB, row-major
};

struct PlaceCommand {
    uint16_t depth = 0;
    bool move = false;
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> clipDepth;  // a mask for the depths up to this one
};

struct RemoveCommand {
    uint16_t depth = 0;
};

struct FrameCommand {
    enum class Kind { Place, Remove };
    Kind kind = Kind::Place;
    PlaceCommand place;
    RemoveCommand remove;
};

struct Timeline {
    std::vector<std::vector<FrameCommand>> frames;
};

struct Character {
    enum class Kind { Shape, Sprite, Bitmap };
    Kind kind = Kind::Shape;
    Shape shape;
    Timeline sprite;
    Bitmap bitmap;
};

struct Movie {
    uint8_t version = 0;
    bool compressed = false;
    TwipsRect frameRect;
    float frameRate = 0;  // frames per second
    uint16_t declaredFrameCount = 0;
    Rgba background{255, 255, 255, 255};
    std::map<uint16_t, std::shared_ptr<const Character>> characters;
    Timeline timeline;

    const Character* character(uint16_t id) const {
        auto it = characters.find(id);
        return it == characters.end() ? nullptr : it->second.get();
    }
};

enum class DecodeError { None, TooShort, BadSignature, BadCompression };

// Decodes a whole movie file. Damaged tags are dropped; only a missing or
// unreadable header fails the whole movie.
std::optional<Movie> decodeMovie(const uint8_t* data, size_t size, DecodeError* error = nullptr);

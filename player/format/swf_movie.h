#pragma once

#include "player/format/swf_actions.h"
#include "player/format/swf_sound.h"
#include "player/format/swf_types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A decoded movie: the characters it defines and its main timeline.

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

struct FillStyle {
    enum class Kind { Solid, Linear, Radial, Bitmap };
    enum class Spread : uint8_t { Pad, Reflect, Repeat };
    Kind kind = Kind::Solid;
    Rgba color;
    Matrix matrix;                    // gradient or bitmap space -> shape space
    std::vector<GradientStop> stops;  // at least one for gradients
    Spread spread = Spread::Pad;
    bool linearRgb = false;  // stops interpolated in linear light
    float focal = 0;         // radial: focal point on the x axis, -1..1 of the radius
    uint16_t bitmapId = 0;
    bool repeat = true;
    bool smooth = true;
};

struct LineStyle {
    enum class Cap : uint8_t { Round, None, Square };
    enum class Join : uint8_t { Round, Bevel, Miter };
    uint16_t width = 0;  // twips
    Rgba color;
    Cap startCap = Cap::Round, endCap = Cap::Round;
    Join join = Join::Round;
    float miterLimit = 3;
    bool closes = true;             // a path that returns to its start is joined there
    std::optional<FillStyle> fill;  // the stroke is painted with this instead of color
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
    bool nonZero = false;  // fill rule: non-zero winding, else even-odd
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeEdge> edges;
};

// A shape between two states; its edges pair one to one.
struct MorphShape {
    Shape start, end;
};

struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // premultiplied 0xAARRGGBB, row-major
};

// Glyph outlines in em units (emSize units to the em) and their layout.
struct Font {
    float emSize = 1024;
    std::vector<Shape> glyphs;
    std::vector<uint16_t> codes;  // character code of each glyph
    std::vector<float> advances;  // em units; empty without layout
    float ascent = 0, descent = 0, leading = 0;
};

// One glyph of a text, placed in the text's own twips.
struct TextGlyph {
    uint16_t fontId = 0;
    uint16_t glyph = 0;
    float x = 0, y = 0;  // baseline origin
    float height = 0;    // em size in twips
    Rgba color;
};

// Static text and the laid-out initial value of an edit field alike.
struct Text {
    Matrix matrix;
    std::vector<TextGlyph> glyphs;
    std::optional<Shape> box;  // an edit field's border and background
};

// Blend modes of a placed object (PlaceObject3 numbering; 0 and 1 are normal).
enum class BlendMode : uint8_t {
    Normal = 1,
    Layer,
    Multiply,
    Screen,
    Lighten,
    Darken,
    Difference,
    Add,
    Subtract,
    Invert,
    Alpha,
    Erase,
    Overlay,
    HardLight
};

struct PlaceCommand {
    uint16_t depth = 0;
    bool move = false;
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> clipDepth;  // a mask for the depths up to this one
    std::optional<uint16_t> ratio;      // a morph's position, 0..65535
    std::optional<std::string> name;
    std::optional<BlendMode> blendMode;
    std::optional<bool> visible;
};

struct RemoveCommand {
    uint16_t depth = 0;
};

// The commands of one frame in tag order. Scripts index Timeline::scripts,
// sounds Timeline::soundStarts.
struct FrameCommand {
    enum class Kind { Place, Remove, Actions, InitActions, StartSound };
    Kind kind = Kind::Place;
    PlaceCommand place;
    RemoveCommand remove;
    uint32_t script = 0;
    uint32_t sound = 0;
};

// Orders names as frame labels and instance names compare: ASCII letters without case.
struct CaselessLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct Timeline {
    std::vector<std::vector<FrameCommand>> frames;
    std::vector<ActionScript> scripts;
    std::map<std::string, int, CaselessLess> labels;  // name -> frame; the first of a name stands
    std::vector<SoundStart> soundStarts;
    std::optional<SoundStreamHead> stream;
    std::vector<std::vector<uint8_t>> streamBlocks;  // by frame; empty where a frame has none

    int frameOfLabel(const std::string& name) const;  // -1 when missing
};

struct Character {
    enum class Kind { Shape, Sprite, Bitmap, Font, Text, Morph, Button };
    Kind kind = Kind::Shape;
    Shape shape;
    Timeline sprite;  // a sprite's timeline, or a button's up state as one frame
    Bitmap bitmap;
    Font font;
    Text text;
    MorphShape morph;
};

struct Movie {
    uint8_t version = 0;
    bool compressed = false;
    TwipsRect frameRect;
    float frameRate = 0;  // frames per second
    uint16_t declaredFrameCount = 0;
    Rgba background{255, 255, 255, 255};
    std::map<uint16_t, std::shared_ptr<const Character>> characters;
    std::map<uint16_t, std::shared_ptr<const EncodedSound>> sounds;
    std::map<std::string, uint16_t> symbolClasses;  // class name -> character id
    Timeline timeline;

    const Character* character(uint16_t id) const {
        auto it = characters.find(id);
        return it == characters.end() ? nullptr : it->second.get();
    }
};

enum class DecodeError { None, TooShort, BadSignature, BadCompression, OverBudget };

// Decodes a whole movie file. Damaged tags are dropped; a missing or
// unreadable header fails the whole movie, and so does more decoding work
// than its size allows.
std::optional<Movie> decodeMovie(const uint8_t* data, size_t size, DecodeError* error = nullptr);

// The shape of a morph at ratio 0..1.
Shape morphShapeAt(const MorphShape& morph, float ratio);

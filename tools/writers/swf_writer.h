#pragma once

#include "player/movie.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Builds the outline and styles of one shape. Coordinates are twips.
class ShapeBuilder {
public:
    uint32_t addSolidFill(Rgba color);
    uint32_t addLinearGradient(const Matrix& matrix, std::vector<GradientStop> stops);
    uint32_t addRadialGradient(const Matrix& matrix, std::vector<GradientStop> stops);
    uint32_t addLineStyle(uint16_t width, Rgba color);
    uint32_t addLineStyle(const LineStyle& style);
    uint32_t addFill(const FillStyle& style);
    // Starts a new style array; indices returned afterwards count from 1 again.
    void newStyles();

    // Style indices are 1-based into the current array, 0 for none.
    void setStyles(uint32_t fill0, uint32_t fill1, uint32_t line);
    void moveTo(int32_t x, int32_t y);
    void lineTo(int32_t x, int32_t y);
    void curveTo(int32_t cx, int32_t cy, int32_t x, int32_t y);
    // A closed rectangle outline, drawn clockwise on screen from (x, y).
    void rectangle(int32_t x, int32_t y, int32_t w, int32_t h);

    // The DefineShape body after the id, for shape version 1..4; the fill
    // rule flag needs version 4.
    std::vector<uint8_t> encode(int version, bool nonZero = false) const;
    // The bit counts and records alone, as glyphs and morph shapes hold them.
    std::vector<uint8_t> encodeOutline() const;

private:
    struct Record {
        enum class Kind { Style, Line, Curve } kind;
        bool hasMove = false, hasFill0 = false, hasFill1 = false, hasLine = false;
        int32_t a = 0, b = 0, c = 0, d = 0;  // move x,y / deltas
        uint32_t fill0 = 0, fill1 = 0, line = 0;
        size_t styleGroup = 0;
    };
    struct StyleGroup {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
    };
    void include(int32_t x, int32_t y);
    void writeRecords(class BitWriter& w, int version, bool withStyles) const;

    std::vector<StyleGroup> groups_{1};
    std::vector<Record> records_;
    int32_t penX_ = 0, penY_ = 0;
    bool hasBounds_ = false;
    TwipsRect bounds_;
};

// Control tags of one timeline: the movie's own or a sprite's.
class TimelineWriter {
public:
    void place(uint16_t depth, uint16_t characterId, const std::optional<Matrix>& matrix = std::nullopt,
               const std::optional<ColorTransform>& colorTransform = std::nullopt);
    void move(uint16_t depth, const std::optional<Matrix>& matrix,
              const std::optional<ColorTransform>& colorTransform = std::nullopt,
              std::optional<uint16_t> newCharacterId = std::nullopt);
    // A DoAction tag with these action records (the end record is added).
    void actions(const std::vector<uint8_t>& records);
    void remove(uint16_t depth);
    void showFrame();
    void rawTag(unsigned code, const std::vector<uint8_t>& body);

    uint16_t frameCount() const { return frames_; }
    const std::vector<uint8_t>& tags() const { return tags_; }

private:
    std::vector<uint8_t> tags_;
    uint16_t frames_ = 0;
};

// Writes a whole movie: characters are numbered from 1 in definition order.
class SwfWriter {
public:
    SwfWriter(uint8_t version, TwipsRect frame, float frameRate);

    void setBackground(Rgba color);
    // Non-zero shapes are written as DefineShape4 with its fill rule flag.
    uint16_t defineShape(const ShapeBuilder& shape, int shapeVersion = 3, bool nonZero = false);
    // Every shape defined from now on fills by the non-zero rule.
    void useNonZeroShapes() { nonZeroShapes_ = true; }
    // A definition tag with the next id followed by body.
    uint16_t define(unsigned code, const std::vector<uint8_t>& body);
    // A tag among the definitions, written as given (tables, font information).
    void rawDefinition(unsigned code, const std::vector<uint8_t>& body);
    uint16_t defineSprite(const TimelineWriter& sprite);
    TimelineWriter& timeline() { return main_; }

    std::vector<uint8_t> finish(bool compressed) const;

private:
    uint8_t version_;
    TwipsRect frame_;
    float frameRate_;
    std::vector<uint8_t> definitions_;
    TimelineWriter main_;
    uint16_t nextId_ = 1;
    bool nonZeroShapes_ = false;
    friend class TimelineWriter;
};

void appendTag(std::vector<uint8_t>& out, unsigned code, const std::vector<uint8_t>& body);
void writeMatrix(class BitWriter& w, const Matrix& m);
void writeColorTransform(class BitWriter& w, const ColorTransform& cx, bool withAlpha);

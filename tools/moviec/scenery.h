#pragma once

#include "tools/writers/swf_writer.h"
#include "tools/moviec/vector_text.h"

#include <cstdint>
#include <string>

// Backgrounds and props of the content movies, drawn on the 640 x 480 stage.
uint16_t defineMeadow(SwfWriter& writer);
uint16_t defineNightRoom(SwfWriter& writer);
uint16_t defineRoom(SwfWriter& writer);
// A bed seen from the front, its mattress top at y = 0, centred on x = 0.
uint16_t defineBed(SwfWriter& writer);
// A blanket over a lying figure, centred on the origin.
uint16_t defineBlanket(SwfWriter& writer);

// A speech bubble around text, centred on the origin; the tail points left
// and down towards the speaker, or is left off.
enum class Tail { Left, None };
uint16_t defineBubble(SwfWriter& writer, const VectorFont& font, const std::string& text, double size, Tail tail);
// A round badge with a number, centred on the origin.
uint16_t defineBadge(SwfWriter& writer, const VectorFont& font, const std::string& text);
// Plain text centred on the origin.
uint16_t defineText(SwfWriter& writer, const VectorFont& font, const std::string& text, double size, Rgba color);

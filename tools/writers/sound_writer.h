#pragma once

#include "player/movie.h"
#include "tools/writers/swf_writer.h"

#include <cstdint>
#include <vector>

// Sound tags for the writer: a DefineSound through SwfWriter::define, sound
// starts and stream sound in a timeline.
std::vector<uint8_t> defineSoundBody(const EncodedSound& sound);
uint16_t defineSound(SwfWriter& writer, const EncodedSound& sound);
void startSound(TimelineWriter& timeline, const SoundStart& start);
void streamHead(TimelineWriter& timeline, const SoundStreamHead& head);
void streamBlock(TimelineWriter& timeline, const std::vector<uint8_t>& block);

#pragma once

#include "player/movie.h"
#include "tools/writers/bit_writer.h"
#include "tools/writers/swf_writer.h"

#include <cstdint>
#include <vector>

// Sound tags for the writer: a DefineSound through SwfWriter::define and
// sound starts in a timeline; the format byte every sound tag holds.
void writeSoundFormat(BitWriter& w, const SoundFormat& format);
std::vector<uint8_t> defineSoundBody(const EncodedSound& sound);
uint16_t defineSound(SwfWriter& writer, const EncodedSound& sound);
void startSound(TimelineWriter& timeline, const SoundStart& start);

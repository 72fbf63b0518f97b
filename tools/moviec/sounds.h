#pragma once

#include "player/movie.h"
#include "tools/writers/swf_writer.h"

#include <cstdint>
#include <utility>
#include <vector>

// The scenes' sound effects, synthesised here: short, soft, with gentle
// starts, so that a parent can hear them every evening. Mono, 22.05 kHz.
constexpr uint32_t kSoundRate = 22050;

std::vector<int16_t> attentionChime();  // two soft bell notes, rising
std::vector<int16_t> countKnock();      // a short wooden knock for each repetition
std::vector<int16_t> praiseChime();     // three bell notes going up
std::vector<int16_t> yawn();            // a voiced "aah" that rises and sinks
std::vector<int16_t> grumble();         // a low, rough "hmm-mm"

// The samples as a 4-bit ADPCM DefineSound.
EncodedSound adpcmSound(const std::vector<int16_t>& samples);

// Sounds of one movie at their times. Written as a sprite that plays once
// and stops, so that a movie that loops in its scene does not repeat them.
class Soundtrack {
public:
    void add(double time, uint16_t soundId) { events_.push_back({time, soundId}); }
    // The sprite's id, or 0 without sounds.
    uint16_t write(SwfWriter& writer, float frameRate) const;

private:
    std::vector<std::pair<double, uint16_t>> events_;
};

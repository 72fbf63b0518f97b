#pragma once

#include <cstdint>
#include <vector>

// A looping movie of the mascot built with the SWF writer: many curved
// shapes, gradients, strokes, translucent fur and an animated sprite. It
// stands in for a scene movie in demonstrations and the renderer benchmark.
std::vector<uint8_t> demoCharacterMovie(bool compressed);

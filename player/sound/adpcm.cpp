#include "player/sound/adpcm.h"

#include "player/format/bit_reader.h"

#include <algorithm>

namespace {

const int16_t kSteps[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
                            25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
                            88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
                            307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
                            1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
                            3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
                            12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Step index changes by code magnitude, for 2, 3, 4 and 5 bits a code.
const int8_t kIndexChanges[4][16] = {
    {-1, 2},
    {-1, -1, 2, 4},
    {-1, -1, -1, -1, 2, 4, 6, 8},
    {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16},
};

}  // namespace

int16_t AdpcmChannel::step(unsigned code, unsigned bits) {
    unsigned sign = 1u << (bits - 1);
    int step = kSteps[index], diff = 0;
    for (unsigned k = sign >> 1; k; k >>= 1) {
        if (code & k) diff += step;
        step >>= 1;
    }
    diff += step;
    sample = std::clamp(code & sign ? sample - diff : sample + diff, -32768, 32767);
    index = std::clamp(index + kIndexChanges[bits - 2][code & (sign - 1)], 0, 88);
    return static_cast<int16_t>(sample);
}

void decodeAdpcm(const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames) {
    BitReader in(data, size);
    const unsigned channels = clip.channels == 2 ? 2 : 1;
    const unsigned bits = in.bits(2) + 2;
    const size_t totalBits = size * 8;
    AdpcmChannel state[2];
    size_t bitPos = 2;  // the reader counts bytes; packets end on any bit
    auto have = [&](size_t n) { return bitPos + n <= totalBits; };
    while (have(22 * channels) && clip.frames() < maxFrames) {
        for (unsigned c = 0; c < channels; ++c) {
            state[c].sample = in.signedBits(16);
            state[c].index = static_cast<int>(in.bits(6));
            bitPos += 22;
            clip.samples.push_back(static_cast<int16_t>(state[c].sample));
        }
        for (unsigned n = 1; n < kAdpcmPacketSamples && have(bits * channels) && clip.frames() < maxFrames; ++n) {
            for (unsigned c = 0; c < channels; ++c) clip.samples.push_back(state[c].step(in.bits(bits), bits));
            bitPos += bits * channels;
        }
    }
}

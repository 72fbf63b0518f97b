#include "tools/writers/adpcm_encoder.h"

#include "player/sound/adpcm.h"
#include "tools/writers/bit_writer.h"

#include <cstdlib>

std::vector<uint8_t> encodeAdpcm(const std::vector<int16_t>& samples, unsigned channels) {
    constexpr unsigned bits = 4;
    BitWriter out;
    out.bits(bits - 2, 2);
    AdpcmChannel state[2];
    const size_t frames = samples.size() / channels;
    for (size_t i = 0; i < frames; ++i) {
        bool opens = i % kAdpcmPacketSamples == 0;
        for (unsigned c = 0; c < channels; ++c) {
            int16_t want = samples[i * channels + c];
            AdpcmChannel& s = state[c];
            if (opens) {
                s.sample = want;
                // Keep the step the stream had reached, so packets join smoothly.
                out.bits(static_cast<uint16_t>(want), 16);
                out.bits(static_cast<uint32_t>(s.index), 6);
                continue;
            }
            // The code whose decoded sample lands nearest the wanted one.
            unsigned best = 0;
            int bestError = 1 << 30;
            for (unsigned code = 0; code < (1u << bits); ++code) {
                AdpcmChannel trial = s;
                int error = std::abs(trial.step(code, bits) - want);
                if (error < bestError) bestError = error, best = code;
            }
            s.step(best, bits);
            out.bits(best, bits);
        }
    }
    return out.data();
}

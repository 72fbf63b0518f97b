#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The sound a movie holds: event sounds (DefineSound) started by frames, and
// stream sound, one block per frame of a timeline.

enum class SoundCodec : uint8_t {
    NativePcm = 0,  // uncompressed in the writer's byte order
    Adpcm = 1,
    Mp3 = 2,
    LittleEndianPcm = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

struct SoundFormat {
    SoundCodec codec = SoundCodec::LittleEndianPcm;
    uint32_t rate = 44100;  // samples a second per channel
    bool sixteenBit = true;
    bool stereo = false;
};

// The rate field of a sound header: 5.5, 11, 22 or 44 kHz.
uint32_t soundRate(unsigned code);

struct EncodedSound {
    SoundFormat format;
    uint32_t sampleCount = 0;   // per channel, as the movie declares it
    std::vector<uint8_t> data;  // for MP3 without its seek field
    int seekSamples = 0;        // MP3: samples to drop at the start
};

struct EnvelopePoint {
    uint32_t position = 0;                 // in 44.1 kHz samples from the sound's start
    uint16_t left = 32768, right = 32768;  // 0..32768
};

// How a frame starts (or stops) an event sound.
struct SoundStart {
    uint16_t soundId = 0;
    std::string className;                      // StartSound2 names its sound by class
    bool stop = false;                          // stops every instance of the sound instead
    bool noMultiple = false;                    // not started while an instance plays
    std::optional<uint32_t> inPoint, outPoint;  // 44.1 kHz samples
    uint16_t loops = 1;
    std::vector<EnvelopePoint> envelope;
};

struct SoundStreamHead {
    SoundFormat format;
    uint16_t samplesPerBlock = 0;
};

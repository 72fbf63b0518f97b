#include "player/sound/sound_codecs.h"

#include "player/sound/adpcm.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Uncompressed samples. 16-bit samples of the writer's byte order (codec 0)
// are read in the order in which the sound changes less from sample to
// sample: the wrong order turns every sample's low byte into noise.
void decodePcm(const SoundFormat& f, const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames) {
    size_t bytesPerSample = f.sixteenBit ? 2 : 1;
    size_t count = std::min(size / bytesPerSample, maxFrames * clip.channels);
    count -= count % clip.channels;
    clip.samples.reserve(clip.samples.size() + count);
    if (!f.sixteenBit) {
        for (size_t i = 0; i < count; ++i) clip.samples.push_back(static_cast<int16_t>((data[i] - 128) * 256));
        return;
    }
    auto little = [&](size_t i) { return static_cast<int16_t>(data[2 * i] | data[2 * i + 1] << 8); };
    auto big = [&](size_t i) { return static_cast<int16_t>(data[2 * i] << 8 | data[2 * i + 1]); };
    bool bigEndian = false;
    if (f.codec == SoundCodec::NativePcm) {
        int64_t changeLittle = 0, changeBig = 0;
        size_t step = clip.channels;
        for (size_t i = step; i < std::min<size_t>(count, 8192); ++i) {
            changeLittle += std::abs(little(i) - little(i - step));
            changeBig += std::abs(big(i) - big(i - step));
        }
        bigEndian = changeBig < changeLittle;
    }
    for (size_t i = 0; i < count; ++i) clip.samples.push_back(bigEndian ? big(i) : little(i));
}

void decodeData(const SoundFormat& f, const uint8_t* data, size_t size, SoundClip& clip, size_t maxFrames,
                Mp3Decoder& mp3) {
    clip.rate = f.rate;
    clip.channels = f.stereo ? 2 : 1;
    switch (f.codec) {
    case SoundCodec::NativePcm:
    case SoundCodec::LittleEndianPcm: decodePcm(f, data, size, clip, maxFrames); break;
    case SoundCodec::Adpcm: decodeAdpcm(data, size, clip, maxFrames); break;
    case SoundCodec::Mp3: mp3.decode(data, size, clip, maxFrames); break;
    default: break;  // Nellymoser and Speex are not played
    }
}

}  // namespace

SoundClip decodeEventSound(const EncodedSound& sound) {
    SoundClip clip;
    Mp3Decoder mp3;
    // The declared count bounds the work; MP3 may need its seek samples more.
    size_t seek = sound.format.codec == SoundCodec::Mp3 ? static_cast<size_t>(std::max(sound.seekSamples, 0)) : 0;
    uint64_t declared = uint64_t{sound.sampleCount} + seek;  // cannot wrap where size_t has 32 bits
    size_t want =
        sound.sampleCount ? static_cast<size_t>(std::min<uint64_t>(declared, kMaxSoundFrames)) : kMaxSoundFrames;
    decodeData(sound.format, sound.data.data(), sound.data.size(), clip, want, mp3);
    size_t drop = std::min(seek, clip.frames()) * clip.channels;
    clip.samples.erase(clip.samples.begin(), clip.samples.begin() + static_cast<std::ptrdiff_t>(drop));
    if (sound.sampleCount && clip.frames() > sound.sampleCount) clip.samples.resize(sound.sampleCount * clip.channels);
    return clip;
}

SoundClip StreamDecoder::decodeBlock(const uint8_t* data, size_t size) {
    SoundClip clip;
    if (format_.codec == SoundCodec::Mp3) {
        // Each block opens with its sample count and seek samples.
        if (size < 4) return clip;
        data += 4;
        size -= 4;
    }
    decodeData(format_, data, size, clip, kMaxSoundFrames, mp3_);
    return clip;
}

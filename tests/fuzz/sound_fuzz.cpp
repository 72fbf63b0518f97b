// Decodes bytes as sound in every format the player plays: the first byte
// chooses the format, the rest is the sound, whole and cut into stream blocks.
#include "player/sound/sound_codecs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    SoundFormat format;
    format.codec = static_cast<SoundCodec>(data[0] & 3);
    format.rate = soundRate(data[0] >> 2);
    format.sixteenBit = data[0] & 0x10;
    format.stereo = data[0] & 0x20;
    EncodedSound sound{format, static_cast<uint32_t>(data[1]) << 8, {data + 2, data + size}, data[1] - 128};
    decodeEventSound(sound);
    StreamDecoder stream(format);
    size_t block = 64 + (data[1] & 0x3F) * 16;
    for (size_t at = 2; at < size; at += block) stream.decodeBlock(data + at, std::min(block, size - at));
    return 0;
}

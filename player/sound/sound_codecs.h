#pragma once

#include "player/sound/mp3_decoder.h"
#include "player/sound/sound_clip.h"
#include "player/format/swf_sound.h"

#include <cstdint>

// Decodes an event sound: uncompressed (8-bit unsigned, 16-bit in either
// byte order), ADPCM or MP3. Nellymoser and Speex give an empty clip.
SoundClip decodeEventSound(const EncodedSound& sound);

// Decodes a timeline's stream sound block by block; MP3 keeps its state
// from one block to the next as long as the blocks follow each other.
class StreamDecoder {
public:
    explicit StreamDecoder(const SoundFormat& format) : format_(format) {}
    SoundClip decodeBlock(const uint8_t* data, size_t size);
    void restart() { mp3_.reset(); }

private:
    SoundFormat format_;
    Mp3Decoder mp3_;
};

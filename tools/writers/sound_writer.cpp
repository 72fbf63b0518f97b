#include "tools/writers/sound_writer.h"

#include "player/movie.h"
#include "tools/writers/bit_writer.h"

namespace {

unsigned rateCode(uint32_t rate) { return rate >= 44100 ? 3 : rate >= 22050 ? 2 : rate >= 11025 ? 1 : 0; }

}  // namespace

void writeSoundFormat(BitWriter& w, const SoundFormat& f) {
    w.bits(static_cast<uint32_t>(f.codec), 4);
    w.bits(rateCode(f.rate), 2);
    w.bits(f.sixteenBit, 1);
    w.bits(f.stereo, 1);
}

std::vector<uint8_t> defineSoundBody(const EncodedSound& sound) {
    BitWriter w;
    writeSoundFormat(w, sound.format);
    w.u32(sound.sampleCount);
    if (sound.format.codec == SoundCodec::Mp3) w.u16(static_cast<uint16_t>(sound.seekSamples));
    w.bytes(sound.data);
    return w.data();
}

uint16_t defineSound(SwfWriter& writer, const EncodedSound& sound) {
    return writer.define(SwfTag::DefineSound, defineSoundBody(sound));
}

void startSound(TimelineWriter& timeline, const SoundStart& s) {
    BitWriter w;
    if (s.className.empty())
        w.u16(s.soundId);
    else
        w.cString(s.className);
    w.bits(0, 2);
    w.bits(s.stop, 1);
    w.bits(s.noMultiple, 1);
    w.bits(!s.envelope.empty(), 1);
    w.bits(s.loops != 1, 1);
    w.bits(s.outPoint.has_value(), 1);
    w.bits(s.inPoint.has_value(), 1);
    if (s.inPoint) w.u32(*s.inPoint);
    if (s.outPoint) w.u32(*s.outPoint);
    if (s.loops != 1) w.u16(s.loops);
    if (!s.envelope.empty()) {
        w.u8(static_cast<uint32_t>(s.envelope.size()));
        for (const EnvelopePoint& p : s.envelope) {
            w.u32(p.position);
            w.u16(p.left);
            w.u16(p.right);
        }
    }
    timeline.rawTag(s.className.empty() ? SwfTag::StartSound : SwfTag::StartSound2, w.data());
}

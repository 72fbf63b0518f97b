#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

namespace {

SoundFormat readFormat(BitReader& in) {
    SoundFormat f;
    f.codec = static_cast<SoundCodec>(in.bits(4));
    f.rate = soundRate(in.bits(2));
    f.sixteenBit = in.bits(1);
    f.stereo = in.bits(1);
    in.align();
    return f;
}

bool readSoundInfo(BitReader& in, SoundStart& s) {
    in.bits(2);
    s.stop = in.bits(1);
    s.noMultiple = in.bits(1);
    bool envelope = in.bits(1), loops = in.bits(1), outPoint = in.bits(1), inPoint = in.bits(1);
    in.align();
    if (inPoint) s.inPoint = in.u32();
    if (outPoint) s.outPoint = in.u32();
    if (loops) s.loops = in.u16();
    if (envelope) {
        unsigned count = in.u8();
        for (unsigned i = 0; i < count && !in.overrun(); ++i) {
            EnvelopePoint p;
            p.position = in.u32();
            p.left = in.u16();
            p.right = in.u16();
            s.envelope.push_back(p);
        }
    }
    return !in.overrun();
}

}  // namespace

uint32_t soundRate(unsigned code) {
    static const uint32_t rates[] = {5512, 11025, 22050, 44100};
    return rates[code & 3];
}

void decodeSound(MovieDecoder& d, BitReader& body, unsigned code) {
    if (code == SwfTag::SymbolClass) {
        unsigned count = body.u16();
        for (unsigned i = 0; i < count && !body.overrun(); ++i) {
            uint16_t id = body.u16();
            std::string name = body.cString();
            if (!body.overrun()) d.movie.symbolClasses.emplace(name, id);
        }
        return;
    }
    uint16_t id = body.u16();
    auto sound = std::make_shared<EncodedSound>();
    sound->format = readFormat(body);
    sound->sampleCount = body.u32();
    if (sound->format.codec == SoundCodec::Mp3) sound->seekSamples = static_cast<int16_t>(body.u16());
    if (body.overrun() || d.movie.sounds.count(id)) return;
    sound->data.assign(body.here(), body.here() + body.remaining());
    d.movie.sounds.emplace(id, std::move(sound));
}

bool TimelineDecoder::decodeSound(BitReader& body, unsigned code) {
    switch (code) {
    case SwfTag::StartSound:
    case SwfTag::StartSound2: {
        SoundStart start;
        if (code == SwfTag::StartSound)
            start.soundId = body.u16();
        else
            start.className = body.cString();
        if (!readSoundInfo(body, start)) return true;
        FrameCommand cmd;
        cmd.kind = FrameCommand::Kind::StartSound;
        cmd.sound = static_cast<uint32_t>(timeline.soundStarts.size());
        timeline.soundStarts.push_back(std::move(start));
        pending.push_back(std::move(cmd));
        return true;
    }
    case SwfTag::SoundStreamHead:
    case SwfTag::SoundStreamHead2: {
        SoundStreamHead head;
        readFormat(body);  // the rate the writer advised playing at
        head.format = readFormat(body);
        head.samplesPerBlock = body.u16();
        if (!body.overrun()) timeline.stream = head;
        return true;
    }
    case SwfTag::SoundStreamBlock: {
        if (!timeline.stream) return true;
        size_t frame = timeline.frames.size();
        if (timeline.streamBlocks.size() <= frame) timeline.streamBlocks.resize(frame + 1);
        timeline.streamBlocks[frame].assign(body.here(), body.here() + body.remaining());
        return true;
    }
    default: return false;
    }
}

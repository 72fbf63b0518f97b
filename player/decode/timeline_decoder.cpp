#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

void skipFilters(BitReader& in) {
    unsigned count = in.u8();
    for (unsigned i = 0; i < count && !in.overrun(); ++i) {
        switch (in.u8()) {
        case 0: in.skip(23); break;                 // drop shadow
        case 1: in.skip(9); break;                  // blur
        case 2: in.skip(15); break;                 // glow
        case 3: in.skip(27); break;                 // bevel
        case 4:                                     // gradient glow
        case 7: in.skip(in.u8() * 5u + 19); break;  // gradient bevel
        case 5: {                                   // convolution
            unsigned columns = in.u8(), rows = in.u8();
            in.skip(8 + 4u * columns * rows + 5);
            break;
        }
        case 6: in.skip(80); break;  // colour matrix
        default: in.skip(in.remaining()); return;
        }
    }
}

bool decodePlace(BitReader& in, unsigned code, PlaceCommand& p) {
    if (code == SwfTag::PlaceObject) {
        p.characterId = in.u16();
        p.depth = in.u16();
        p.matrix = readMatrix(in);
        if (!in.overrun() && in.remaining() > 0) p.colorTransform = readColorTransform(in, false);
        return !in.overrun();
    }
    uint8_t flags = in.u8();
    uint8_t flags2 = code == SwfTag::PlaceObject3 ? in.u8() : 0;
    p.depth = in.u16();
    p.move = flags & 0x01;
    if ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02))) in.cString();  // class name
    if (flags & 0x02) p.characterId = in.u16();
    if (flags & 0x04) p.matrix = readMatrix(in);
    if (flags & 0x08) p.colorTransform = readColorTransform(in, true);
    if (flags & 0x10) p.ratio = in.u16();
    if (flags & 0x20) p.name = in.cString();
    if (flags & 0x40) p.clipDepth = in.u16();
    if (flags2 & 0x01) skipFilters(in);
    if (flags2 & 0x02) p.blendMode = static_cast<BlendMode>(in.u8());
    if (flags2 & 0x04) in.u8();  // bitmap caching
    if (flags2 & 0x20) p.visible = in.u8() != 0;
    // A background colour and clip actions may follow; neither is drawn.
    return !in.overrun();
}

void TimelineDecoder::decode(BitReader& body, unsigned code) {
    FrameCommand cmd;
    switch (code) {
    case SwfTag::ShowFrame:
        timeline.frames.push_back(std::move(pending));
        pending.clear();
        return;
    case SwfTag::PlaceObject:
    case SwfTag::PlaceObject2:
    case SwfTag::PlaceObject3:
        cmd.kind = FrameCommand::Kind::Place;
        if (!decodePlace(body, code, cmd.place)) return;
        break;
    case SwfTag::RemoveObject:
    case SwfTag::RemoveObject2:
        cmd.kind = FrameCommand::Kind::Remove;
        if (code == SwfTag::RemoveObject) body.u16();
        cmd.remove.depth = body.u16();
        if (body.overrun()) return;
        break;
    case SwfTag::FrameLabel: {
        std::string name = body.cString();
        if (!name.empty()) timeline.labels.emplace(name, static_cast<int>(timeline.frames.size()));
        return;
    }
    case SwfTag::DoAction:
    case SwfTag::DoInitAction:
        cmd.kind = code == SwfTag::DoAction ? FrameCommand::Kind::Actions : FrameCommand::Kind::InitActions;
        if (code == SwfTag::DoInitAction) body.u16();  // the sprite it initialises
        if (body.overrun()) return;
        cmd.script = static_cast<uint32_t>(timeline.scripts.size());
        timeline.scripts.push_back(decodeActions(body.here(), body.remaining()));
        movie.spend(timeline.scripts.back().actions.size());
        break;
    default: decodeSound(body, code); return;
    }
    pending.push_back(std::move(cmd));
}

void TimelineDecoder::finish() {
    // Commands after the last shown frame are never shown, unless there is no frame at all.
    if (timeline.frames.empty() && !pending.empty()) timeline.frames.push_back(std::move(pending));
    pending.clear();
    if (timeline.streamBlocks.size() > timeline.frames.size()) timeline.streamBlocks.resize(timeline.frames.size());
}

#include "player/decode/swf_decoding.h"
#include "player/format/swf_tags.h"

// A button is shown in its up state: the records of that state become one
// frame of a timeline. Its other states and its actions wait for input the
// show window never gives.
void decodeButton(MovieDecoder& d, BitReader& body, unsigned code) {
    Character ch;
    ch.kind = Character::Kind::Button;
    bool second = code == SwfTag::DefineButton2;
    uint16_t id = body.u16();
    if (second) {
        body.u8();   // menu tracking
        body.u16();  // offset of the actions
    }
    std::vector<FrameCommand> frame;
    while (!body.overrun()) {
        uint8_t flags = body.u8();
        if (flags == 0) break;
        FrameCommand cmd;
        PlaceCommand& p = cmd.place;
        p.characterId = body.u16();
        p.depth = body.u16();
        p.matrix = readMatrix(body);
        if (second) p.colorTransform = readColorTransform(body, true);
        if (second && (flags & 0x10)) skipFilters(body);
        if (second && (flags & 0x20)) p.blendMode = static_cast<BlendMode>(body.u8());
        if (!body.overrun() && (flags & 0x01)) frame.push_back(cmd);
    }
    ch.sprite.frames.push_back(std::move(frame));
    d.define(id, std::move(ch));
}

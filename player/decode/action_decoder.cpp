#include "player/format/bit_reader.h"
#include "player/format/swf_actions.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

enum : uint8_t {
    kEnd = 0x00,
    kNextFrame = 0x04,
    kPrevFrame = 0x05,
    kPlay = 0x06,
    kStop = 0x07,
    kPop = 0x17,
    kGetVariable = 0x1C,
    kSetTarget2 = 0x20,
    kCallFunction = 0x3D,
    kGetMember = 0x4E,
    kCallMethod = 0x52,
    kGotoFrame = 0x81,
    kSetTarget = 0x8B,
    kGotoLabel = 0x8C,
    kConstantPool = 0x88,
    kDefineFunction2 = 0x8E,
    kWith = 0x94,
    kPush = 0x96,
    kJump = 0x99,
    kDefineFunction = 0x9B,
    kIf = 0x9D,
    kGotoFrame2 = 0x9F,
};

ActionValue number(double v) {
    ActionValue out;
    out.kind = ActionValue::Kind::Number;
    out.number = v;
    return out;
}

using SharedText = std::shared_ptr<const std::string>;

ActionValue text(SharedText s) {
    ActionValue out;
    out.kind = ActionValue::Kind::String;
    out.text = std::move(s);
    return out;
}

std::vector<ActionValue> readPush(BitReader& in, const std::vector<SharedText>& pool) {
    std::vector<ActionValue> values;
    while (in.remaining() > 0 && !in.overrun()) {
        uint8_t type = in.u8();
        switch (type) {
        case 0: values.push_back(text(std::make_shared<const std::string>(in.cString()))); break;
        case 1: {
            uint32_t bits = in.u32();
            float f;
            std::memcpy(&f, &bits, 4);
            values.push_back(number(f));
            break;
        }
        case 2:
        case 3: values.emplace_back(); break;  // null, undefined
        case 4:
            in.u8();
            values.emplace_back();
            break;  // a register's value is not followed
        case 5: values.push_back(number(in.u8() ? 1 : 0)); break;
        case 6: {
            uint64_t high = in.u32(), low = in.u32();
            uint64_t bits = (high << 32) | low;
            double d;
            std::memcpy(&d, &bits, 8);
            values.push_back(number(d));
            break;
        }
        case 7: values.push_back(number(static_cast<int32_t>(in.u32()))); break;
        case 8:
        case 9: {
            size_t index = type == 8 ? in.u8() : in.u16();
            values.push_back(index < pool.size() ? text(pool[index]) : ActionValue{});
            break;
        }
        default:
            in.skip(in.remaining());
            values.emplace_back();
            break;
        }
    }
    return values;
}

// The actions the interpreter follows, by code; every other code is Unknown.
constexpr std::pair<uint8_t, Action::Op> kFollowed[] = {
    {kNextFrame, Action::Op::NextFrame},
    {kPrevFrame, Action::Op::PrevFrame},
    {kPlay, Action::Op::Play},
    {kStop, Action::Op::Stop},
    {kPop, Action::Op::Pop},
    {kGetVariable, Action::Op::GetVariable},
    {kSetTarget2, Action::Op::SetTargetExpression},
    {kCallFunction, Action::Op::CallFunction},
    {kGetMember, Action::Op::GetMember},
    {kCallMethod, Action::Op::CallMethod},
    {kGotoFrame, Action::Op::GotoFrame},
    {kSetTarget, Action::Op::SetTarget},
    {kGotoLabel, Action::Op::GotoLabel},
    {kPush, Action::Op::Push},
    {kJump, Action::Op::Jump},
    {kIf, Action::Op::If},
    {kGotoFrame2, Action::Op::GotoExpression},
};

Action::Op opOf(uint8_t code) {
    for (const auto& [followed, op] : kFollowed)
        if (followed == code) return op;
    return Action::Op::Unknown;
}

std::vector<SharedText> readPool(BitReader& body) {
    std::vector<SharedText> pool;
    size_t count = body.u16();
    for (size_t i = 0; i < count && !body.overrun(); ++i)
        pool.push_back(std::make_shared<const std::string>(body.cString()));
    return pool;
}

// A Jump's or an If's byte offset becomes the index of the action there, or
// the script's end for an offset past it; an offset inside a record, -1.
void resolveJumps(std::vector<Action>& actions, const std::vector<size_t>& offsets,
                  const std::vector<size_t>& jumpTargets, size_t end) {
    for (size_t i = 0; i < actions.size(); ++i) {
        Action& a = actions[i];
        if (a.op != Action::Op::Jump && a.op != Action::Op::If) continue;
        size_t target = jumpTargets[i];
        a.number = -1;  // a target inside a record ends the script
        if (target >= end) {
            a.number = static_cast<int32_t>(actions.size());
            continue;
        }
        auto found = std::lower_bound(offsets.begin(), offsets.end(), target);
        if (found != offsets.end() && *found == target) a.number = static_cast<int32_t>(found - offsets.begin());
    }
}

}  // namespace

ActionScript decodeActions(const uint8_t* data, size_t size) {
    ActionScript script;
    std::vector<size_t> offsets;      // byte offset of each action, ascending
    std::vector<size_t> jumpTargets;  // byte offset a Jump or If leads to, by action
    std::vector<SharedText> pool;
    BitReader in(data, size);
    while (in.remaining() > 0) {
        size_t at = in.position();
        uint8_t code = in.u8();
        if (code == kEnd) break;
        size_t length = code >= 0x80 ? in.u16() : 0;
        if (in.overrun() || length > in.remaining()) break;
        const uint8_t* payload = in.here();
        BitReader body(payload, length);
        in.skip(length);
        Action a;
        a.op = opOf(code);
        size_t target = 0;
        switch (code) {
        case kGotoFrame: a.number = body.u16(); break;
        case kGotoLabel:
        case kSetTarget: a.text = body.cString(); break;
        case kGotoFrame2: {
            uint8_t flags = body.u8();
            a.flag = flags & 0x01;
            if (flags & 0x02) a.number = body.u16();
            break;
        }
        case kPush: a.values = readPush(body, pool); break;
        case kConstantPool: pool = readPool(body); break;
        case kJump:
        case kIf: {
            int32_t delta = static_cast<int16_t>(body.u16());
            int64_t to = static_cast<int64_t>(in.position()) + delta;
            target = to < 0 ? size + 1 : static_cast<size_t>(to);
            break;
        }
        case kDefineFunction:
        case kDefineFunction2:
        case kWith: {
            // The body follows the record; it runs only when called, which is not followed.
            if (length >= 2) in.skip(payload[length - 2] | (static_cast<size_t>(payload[length - 1]) << 8));
            break;
        }
        default: break;
        }
        if (body.overrun()) break;
        offsets.push_back(at);
        jumpTargets.push_back(target);
        script.actions.push_back(std::move(a));
    }
    resolveJumps(script.actions, offsets, jumpTargets, in.position());
    return script;
}

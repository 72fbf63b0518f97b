#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Frame scripts, decoded to the part of the action language that steers
// timelines. Every other action becomes Unknown: it is skipped, and since
// its effect on the stack is not followed, the stack is forgotten there.
struct ActionValue {
    enum class Kind : uint8_t { Number, String, Unknown };
    Kind kind = Kind::Unknown;
    double number = 0;
    std::shared_ptr<const std::string> text;  // a String's, shared with the constant pool it may come from
};

struct Action {
    enum class Op : uint8_t {
        NextFrame,
        PrevFrame,
        Play,
        Stop,
        GotoFrame,       // number: frame index
        GotoLabel,       // text
        SetTarget,       // text: a target path, empty for the script's own timeline
        GotoExpression,  // pops a frame number or label; flag: play; number: frame bias
        SetTargetExpression,
        Push,  // values
        Pop,
        GetVariable,   // pops a name, pushes the timeline it names (as a path)
        GetMember,     // pops a name and a path, pushes the path to that member
        CallMethod,    // pops a method, a path, a count and the arguments
        CallFunction,  // pops a function name, a count and the arguments
        Jump,          // number: index of the next action
        If,            // pops a condition; number: index of the next action when true
        Unknown,
    };
    Op op = Op::Unknown;
    bool flag = false;
    int32_t number = 0;
    std::string text;
    std::vector<ActionValue> values;
};

struct ActionScript {
    std::vector<Action> actions;
};

// Decodes action records within the given bytes; a damaged record ends the script.
ActionScript decodeActions(const uint8_t* data, size_t size);

#include "player/playback/action_interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A stack slot: a value the script pushed, or a timeline it looked up.
struct Slot {
    ActionValue value;
    std::weak_ptr<ScriptTarget> timeline;
};

// Takes the steps a piece of work needs from those left; false when too few are.
bool take(size_t& steps, size_t needed) {
    if (needed > steps) {
        steps = 0;
        return false;
    }
    steps -= needed;
    return true;
}

size_t nameSteps(const std::string& name) { return 1 + name.size() / 16; }

// A label is looked up among up to 65,536 by as many as 16 comparisons.
int labelledFrame(ScriptTarget& t, const std::string& label, size_t& steps) {
    return take(steps, 16 * nameSteps(label)) ? t.frameOfLabel(label) : -1;
}

ScriptTarget* rootOf(ScriptTarget* t) {
    while (t->parent()) t = t->parent();
    return t;
}

// A target path: "/a/b" from the root, "a/b" or "a.b" from `from`, with
// "..", "_parent", "_root", "_level0" and "this" steps. Null when a step is
// missing or the steps run out.
ScriptTarget* resolvePath(ScriptTarget* from, const std::string& path, size_t& steps) {
    ScriptTarget* t = from;
    size_t i = 0;
    if (!path.empty() && path[0] == '/') {
        t = rootOf(from);
        i = 1;
    }
    while (t && i <= path.size()) {
        size_t end = path.compare(i, 2, "..") == 0 ? i + 2 : path.find_first_of("/.:", i);
        if (end == std::string::npos) end = path.size();
        std::string step = path.substr(i, end - i);
        if (!take(steps, nameSteps(step))) return nullptr;
        if (step == ".." || step == "_parent")
            t = t->parent();
        else if (step == "_root" || step == "_level0")
            t = rootOf(t);
        else if (!step.empty() && step != "this")
            t = t->child(step);
        i = end + 1;
    }
    return t;
}

// A 1-based frame number as an index; numbers far outside any timeline are clamped.
int frameIndex(double number, int bias) { return static_cast<int>(std::max(-1.0, std::min(number, 1e6))) - 1 + bias; }

// A goto's frame as the script gives it: a 1-based number, a label, or "path:frame".
void gotoValue(ScriptTarget* target, const ActionValue& v, int bias, bool play, size_t& steps) {
    if (!target) return;
    if (v.kind == ActionValue::Kind::Number) {
        if (std::isfinite(v.number)) target->gotoFrame(frameIndex(v.number, bias), play);
        return;
    }
    if (v.kind != ActionValue::Kind::String) return;
    std::string frame = *v.text;
    size_t colon = frame.rfind(':');
    if (colon != std::string::npos) {
        target = resolvePath(target, frame.substr(0, colon), steps);
        frame = frame.substr(colon + 1);
        if (!target) return;
    }
    char* end = nullptr;
    long number = std::strtol(frame.c_str(), &end, 10);
    if (!frame.empty() && end && *end == 0) {
        target->gotoFrame(frameIndex(static_cast<double>(number), bias), play);
        return;
    }
    int labelled = labelledFrame(*target, frame, steps);
    if (labelled >= 0) target->gotoFrame(labelled + bias, play);
}

// The timeline methods and global functions a script may call.
bool callTimeline(ScriptTarget* t, const std::string& name, const std::vector<Slot>& args, size_t& steps) {
    if (!t) return false;
    if (name == "play")
        t->play();
    else if (name == "stop")
        t->stop();
    else if (name == "nextFrame")
        t->gotoFrame(t->frame() + 1, false);
    else if (name == "prevFrame")
        t->gotoFrame(t->frame() - 1, false);
    else if ((name == "gotoAndPlay" || name == "gotoAndStop") && !args.empty())
        gotoValue(t, args.front().value, 0, name == "gotoAndPlay", steps);
    else
        return false;
    return true;
}

}  // namespace

void runActions(ScriptTarget& self, const ActionScript& script, size_t& steps) {
    std::weak_ptr<ScriptTarget> selfRef = self.weak_from_this();
    std::weak_ptr<ScriptTarget> targetRef = selfRef;
    std::vector<Slot> stack;
    auto pop = [&stack]() {
        Slot s;
        if (!stack.empty()) {
            s = std::move(stack.back());
            stack.pop_back();
        }
        return s;
    };
    auto popArguments = [&](std::vector<Slot>& args) {
        Slot count = pop();
        if (count.value.kind != ActionValue::Kind::Number || !(count.value.number >= 0) ||
            count.value.number > static_cast<double>(stack.size()))
            return false;
        for (int i = 0; i < static_cast<int>(count.value.number); ++i) args.push_back(pop());
        return true;
    };
    const std::vector<Action>& actions = script.actions;
    size_t pc = 0;
    while (pc < actions.size() && take(steps, 1)) {
        // Each step looks its timelines up anew: a goto may have removed them.
        std::shared_ptr<ScriptTarget> here = selfRef.lock();
        if (!here) return;
        std::shared_ptr<ScriptTarget> target = targetRef.lock();
        const Action& a = actions[pc++];
        switch (a.op) {
        case Action::Op::NextFrame:
            if (target) target->gotoFrame(target->frame() + 1, false);
            break;
        case Action::Op::PrevFrame:
            if (target) target->gotoFrame(target->frame() - 1, false);
            break;
        case Action::Op::Play:
            if (target) target->play();
            break;
        case Action::Op::Stop:
            if (target) target->stop();
            break;
        case Action::Op::GotoFrame:
            if (target) target->gotoFrame(a.number, false);
            break;
        case Action::Op::GotoLabel: {
            int frame = target ? labelledFrame(*target, a.text, steps) : -1;
            if (frame >= 0) target->gotoFrame(frame, false);
            break;
        }
        case Action::Op::SetTarget: {
            ScriptTarget* t = a.text.empty() ? here.get() : resolvePath(here.get(), a.text, steps);
            targetRef = t ? t->weak_from_this() : std::weak_ptr<ScriptTarget>();
            break;
        }
        case Action::Op::SetTargetExpression: {
            Slot s = pop();
            ScriptTarget* t = nullptr;
            if (auto named = s.timeline.lock())
                t = named.get();
            else if (s.value.kind == ActionValue::Kind::String)
                t = s.value.text->empty() ? here.get() : resolvePath(here.get(), *s.value.text, steps);
            targetRef = t ? t->weak_from_this() : std::weak_ptr<ScriptTarget>();
            break;
        }
        case Action::Op::GotoExpression: gotoValue(target.get(), pop().value, a.number, a.flag, steps); break;
        case Action::Op::Push:
            // One push may carry tens of thousands of values: each is a step.
            if (!take(steps, a.values.size())) return;
            for (const ActionValue& v : a.values) stack.push_back({v, {}});
            break;
        case Action::Op::Pop: pop(); break;
        case Action::Op::GetVariable: {
            Slot name = pop();
            ScriptTarget* t = name.value.kind == ActionValue::Kind::String && target
                                  ? resolvePath(target.get(), *name.value.text, steps)
                                  : nullptr;
            Slot out;
            if (t) out.timeline = t->weak_from_this();
            stack.push_back(out);
            break;
        }
        case Action::Op::GetMember: {
            Slot name = pop(), object = pop();
            auto owner = object.timeline.lock();
            ScriptTarget* t = owner && name.value.kind == ActionValue::Kind::String
                                  ? resolvePath(owner.get(), *name.value.text, steps)
                                  : nullptr;
            Slot out;
            if (t) out.timeline = t->weak_from_this();
            stack.push_back(out);
            break;
        }
        case Action::Op::CallMethod:
        case Action::Op::CallFunction: {
            Slot name = pop();
            std::shared_ptr<ScriptTarget> on = target;
            if (a.op == Action::Op::CallMethod) on = pop().timeline.lock();
            std::vector<Slot> args;
            if (!popArguments(args)) {
                stack.clear();
                break;
            }
            if (name.value.kind == ActionValue::Kind::String) callTimeline(on.get(), *name.value.text, args, steps);
            stack.push_back({});  // the result
            break;
        }
        case Action::Op::Jump:
            if (a.number < 0) return;
            pc = static_cast<size_t>(a.number);
            break;
        case Action::Op::If: {
            Slot c = pop();
            if (c.value.kind == ActionValue::Kind::Unknown && c.timeline.expired()) return;  // cannot decide
            bool truth = c.value.kind == ActionValue::Kind::Number   ? c.value.number != 0
                         : c.value.kind == ActionValue::Kind::String ? !c.value.text->empty()
                                                                     : true;
            if (truth) {
                if (a.number < 0) return;
                pc = static_cast<size_t>(a.number);
            }
            break;
        }
        case Action::Op::Unknown: stack.clear(); break;
        }
    }
}

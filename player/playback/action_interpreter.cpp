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

// A timeline method a script may call, as the action that does the same;
// Unknown for any other name, and for a goto without its frame.
Action methodAction(const std::string& name, bool hasFrame) {
    Action a;
    if (name == "play")
        a.op = Action::Op::Play;
    else if (name == "stop")
        a.op = Action::Op::Stop;
    else if (name == "nextFrame")
        a.op = Action::Op::NextFrame;
    else if (name == "prevFrame")
        a.op = Action::Op::PrevFrame;
    else if ((name == "gotoAndPlay" || name == "gotoAndStop") && hasFrame) {
        a.op = Action::Op::GotoExpression;
        a.flag = name == "gotoAndPlay";
    }
    return a;
}

bool truth(const ActionValue& v) {
    return v.kind == ActionValue::Kind::Number   ? v.number != 0
           : v.kind == ActionValue::Kind::String ? !v.text->empty()
                                                 : true;
}

// One run of a script: its timeline and the target it acts on (both held
// weakly: a goto may remove them), its stack and its next action.
class Machine {
public:
    Machine(ScriptTarget& self, const ActionScript& script, size_t& steps)
        : self_(self.weak_from_this()), target_(self_), actions_(script.actions), steps_(steps) {}

    void run() {
        while (pc_ < actions_.size() && take(steps_, 1)) {
            // Each step looks its timelines up anew: a goto may have removed them.
            std::shared_ptr<ScriptTarget> here = self_.lock();
            if (!here) return;
            std::shared_ptr<ScriptTarget> target = target_.lock();
            if (!step(actions_[pc_++], *here, target.get())) return;
        }
    }

private:
    // One action, by its family; false ends the script.
    bool step(const Action& a, ScriptTarget& here, ScriptTarget* target) {
        switch (a.op) {
        case Action::Op::NextFrame:
        case Action::Op::PrevFrame:
        case Action::Op::Play:
        case Action::Op::Stop:
        case Action::Op::GotoFrame:
        case Action::Op::GotoLabel: navigate(target, a, {}); return true;
        case Action::Op::GotoExpression: navigate(target, a, pop().value); return true;
        case Action::Op::SetTarget:
        case Action::Op::SetTargetExpression: setTarget(a, here); return true;
        case Action::Op::Push:
        case Action::Op::Pop:
        case Action::Op::Unknown: return stackOp(a);
        case Action::Op::GetVariable:
        case Action::Op::GetMember: lookUp(a, target); return true;
        case Action::Op::CallMethod:
        case Action::Op::CallFunction: call(a, target); return true;
        case Action::Op::Jump:
        case Action::Op::If: return jump(a);
        }
        return true;
    }

    // Play, stop, a frame on or back, or a goto: the action's frame index
    // or label, or for an expression `frame` with the action's bias.
    void navigate(ScriptTarget* t, const Action& a, const ActionValue& frame) {
        if (!t) return;
        switch (a.op) {
        case Action::Op::NextFrame: t->gotoFrame(t->frame() + 1, false); break;
        case Action::Op::PrevFrame: t->gotoFrame(t->frame() - 1, false); break;
        case Action::Op::Play: t->play(); break;
        case Action::Op::Stop: t->stop(); break;
        case Action::Op::GotoFrame: t->gotoFrame(a.number, false); break;
        case Action::Op::GotoLabel: {
            int labelled = labelledFrame(*t, a.text, steps_);
            if (labelled >= 0) t->gotoFrame(labelled, false);
            break;
        }
        case Action::Op::GotoExpression: gotoValue(t, frame, a.number, a.flag, steps_); break;
        default: break;
        }
    }

    // The target by the action's path, or by a popped timeline or path.
    void setTarget(const Action& a, ScriptTarget& here) {
        ScriptTarget* t = nullptr;
        std::shared_ptr<ScriptTarget> named;
        if (a.op == Action::Op::SetTarget) {
            t = pathTarget(here, a.text);
        } else {
            Slot s = pop();
            named = s.timeline.lock();
            t = named                                       ? named.get()
                : s.value.kind == ActionValue::Kind::String ? pathTarget(here, *s.value.text)
                                                            : nullptr;
        }
        target_ = t ? t->weak_from_this() : std::weak_ptr<ScriptTarget>();
    }

    // An empty path names the script's own timeline.
    ScriptTarget* pathTarget(ScriptTarget& here, const std::string& path) {
        return path.empty() ? &here : resolvePath(&here, path, steps_);
    }

    // Push (a step for each value: one push may carry tens of thousands),
    // pop, and an action not followed, whose effect on the stack is unknown.
    bool stackOp(const Action& a) {
        switch (a.op) {
        case Action::Op::Push:
            if (!take(steps_, a.values.size())) return false;
            for (const ActionValue& v : a.values) stack_.push_back({v, {}});
            break;
        case Action::Op::Pop: pop(); break;
        default: stack_.clear(); break;
        }
        return true;
    }

    Slot pop() {
        Slot s;
        if (!stack_.empty()) {
            s = std::move(stack_.back());
            stack_.pop_back();
        }
        return s;
    }

    // A call's count and arguments; false when the count is not one the stack holds.
    bool popArguments(std::vector<Slot>& args) {
        Slot count = pop();
        if (count.value.kind != ActionValue::Kind::Number || !(count.value.number >= 0) ||
            count.value.number > static_cast<double>(stack_.size()))
            return false;
        for (int i = 0; i < static_cast<int>(count.value.number); ++i) args.push_back(pop());
        return true;
    }

    // A popped name, and the timeline it is looked up on: for a member or a
    // method the popped one that owns it (held while the action runs), else the target.
    struct Named {
        Slot name;
        std::shared_ptr<ScriptTarget> owner;
        ScriptTarget* on;
    };
    Named popNamed(bool owned, ScriptTarget* target) {
        Named n{pop(), nullptr, target};
        if (owned) {
            n.owner = pop().timeline.lock();
            n.on = n.owner.get();
        }
        return n;
    }

    // Pushes the timeline a variable's or a member's name leads to.
    void lookUp(const Action& a, ScriptTarget* target) {
        Named n = popNamed(a.op == Action::Op::GetMember, target);
        ScriptTarget* t = n.on && n.name.value.kind == ActionValue::Kind::String
                              ? resolvePath(n.on, *n.name.value.text, steps_)
                              : nullptr;
        Slot out;
        if (t) out.timeline = t->weak_from_this();
        stack_.push_back(out);
    }

    // A function or a method: the timeline methods are followed, and the result is unknown.
    void call(const Action& a, ScriptTarget* target) {
        Named n = popNamed(a.op == Action::Op::CallMethod, target);
        std::vector<Slot> args;
        if (!popArguments(args)) {
            stack_.clear();
            return;
        }
        if (n.name.value.kind == ActionValue::Kind::String)
            navigate(n.on, methodAction(*n.name.value.text, !args.empty()),
                     args.empty() ? ActionValue{} : args.front().value);
        stack_.push_back({});
    }

    // Jump, and If on a popped condition; false ends the script: a
    // condition it cannot decide, or a target inside a record.
    bool jump(const Action& a) {
        if (a.op == Action::Op::If) {
            Slot c = pop();
            if (c.value.kind == ActionValue::Kind::Unknown && c.timeline.expired()) return false;
            if (!truth(c.value)) return true;
        }
        if (a.number < 0) return false;
        pc_ = static_cast<size_t>(a.number);
        return true;
    }

    std::weak_ptr<ScriptTarget> self_, target_;
    const std::vector<Action>& actions_;
    size_t& steps_;
    size_t pc_ = 0;
    std::vector<Slot> stack_;
};

}  // namespace

void runActions(ScriptTarget& self, const ActionScript& script, size_t& steps) { Machine(self, script, steps).run(); }

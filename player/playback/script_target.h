#pragma once

#include <memory>
#include <string>

// What a frame script acts on: a timeline that plays, stops and goes to
// frames, inside a tree of named timelines that its target paths walk.
// Scripts hold targets weakly: a goto may remove them.
class ScriptTarget : public std::enable_shared_from_this<ScriptTarget> {
public:
    virtual ~ScriptTarget() = default;

    virtual void play() = 0;
    virtual void stop() = 0;
    // Goes to a frame (clamped) and plays or stops there.
    virtual void gotoFrame(int frame, bool play) = 0;
    virtual int frame() const = 0;
    virtual int frameOfLabel(const std::string& label) const = 0;  // -1 when missing
    virtual ScriptTarget* parent() const = 0;
    virtual ScriptTarget* child(const std::string& name) const = 0;  // by instance name
};

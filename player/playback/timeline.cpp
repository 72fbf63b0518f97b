#include "player/playback/timeline.h"

#include <algorithm>

namespace {
// Instance names match as frame labels do: ASCII letters without case.
bool sameName(const std::string& a, const std::string& b) {
    const CaselessLess less;
    return !less(a, b) && !less(b, a);
}

// A later command at the same depth changes the fields it carries and keeps the rest.
void merge(PlaceCommand& placed, const PlaceCommand& change) {
    if (change.characterId) placed.characterId = change.characterId;
    if (change.matrix) placed.matrix = change.matrix;
    if (change.colorTransform) placed.colorTransform = change.colorTransform;
    if (change.clipDepth) placed.clipDepth = change.clipDepth;
    if (change.ratio) placed.ratio = change.ratio;
    if (change.name) placed.name = change.name;
    if (change.blendMode) placed.blendMode = change.blendMode;
    if (change.visible) placed.visible = change.visible;
}

// The command that gives an object its looks as they stand.
PlaceCommand placement(const DisplayObject& obj) {
    PlaceCommand p;
    p.matrix = obj.matrix;
    p.colorTransform = obj.colorTransform;
    p.clipDepth = obj.clipDepth;
    p.ratio = obj.ratio;
    p.name = obj.name;
    p.blendMode = obj.blendMode;
    p.visible = obj.visible;
    return p;
}
}  // namespace

DisplayObject::DisplayObject(uint16_t id, Playback& playback) : characterId(id), playback_(playback) {
    ++playback_.liveObjects;
}

DisplayObject::~DisplayObject() {
    sprite.reset();
    --playback_.liveObjects;
}

TimelineState::TimelineState(const Movie& movie, const Timeline& timeline, Playback& playback, TimelineState* parent,
                             int nesting)
    : movie_(movie),
      timeline_(timeline),
      playback_(playback),
      parent_(parent),
      nesting_(nesting),
      serial_(playback.timelines++) {}

TimelineState* TimelineState::child(const std::string& name) const {
    for (const auto& entry : objects_)
        if (entry.second->sprite && sameName(entry.second->name, name)) return entry.second->sprite.get();
    return nullptr;
}

void TimelineState::advance() {
    int count = frameCount();
    if (count == 0) return;
    for (auto& entry : objects_)
        if (entry.second->sprite) entry.second->sprite->advance();
    if (frame_ < 0)
        seek(0);
    else if (playing_ && count > 1)
        seek(frame_ + 1 < count ? frame_ + 1 : 0);
}

void TimelineState::gotoFrame(int frame, bool play) {
    int count = frameCount();
    playing_ = play;
    if (count == 0) return;
    seek(std::clamp(frame, 0, count - 1));
}

void TimelineState::seek(int target) {
    if (target == frame_) return;
    if (target > frame_) {
        for (int f = frame_ + 1; f <= target && playback_.charge(timeline_.frames[f].size()); ++f)
            apply(timeline_.frames[f], f, f == target);
    } else {
        rebuild(target);
    }
    frame_ = target;
    streamSound(target);
}

void TimelineState::startSound(const FrameCommand& cmd) {
    if (playback_.sound) playback_.sound->startSound(timeline_.soundStarts[cmd.sound]);
}

// Scripts may enter frames many times in one tick: only the frame the tick
// ends on is heard, and its block is decoded once.
void TimelineState::streamSound(int frame) {
    if (!playback_.sound || !timeline_.stream) return;
    if (streamFrame_ < 0) playback_.streams.push_back(std::static_pointer_cast<TimelineState>(shared_from_this()));
    streamFrame_ = frame;
}

void TimelineState::sendStreamBlock() {
    const int frame = streamFrame_;
    streamFrame_ = -1;
    if (!playback_.sound || frame < 0 || static_cast<size_t>(frame) >= timeline_.streamBlocks.size()) return;
    const std::vector<uint8_t>& block = timeline_.streamBlocks[frame];
    if (!block.empty()) playback_.sound->streamBlock(serial_, *timeline_.stream, block, frame);
}

// Going back: the display list the timeline's own commands give at the
// frame. Objects that were placed by the same command and still stand there
// are kept as they are (their own timelines go on); the rest are replaced.
void TimelineState::rebuild(int target) {
    struct Standing {
        PlaceCommand cmd;
        int placedFrame;
    };
    std::map<uint16_t, Standing> standing;
    for (int f = 0; f <= target && playback_.charge(timeline_.frames[f].size()); ++f) {
        for (const FrameCommand& c : timeline_.frames[f]) {
            if (c.kind == FrameCommand::Kind::Remove) {
                standing.erase(c.remove.depth);
            } else if (c.kind == FrameCommand::Kind::Place) {
                const PlaceCommand& p = c.place;
                auto it = standing.find(p.depth);
                if (!p.move) {
                    if (p.characterId) standing[p.depth] = {p, f};
                } else if (it != standing.end()) {
                    merge(it->second.cmd, p);
                }
            }
        }
    }
    for (auto it = objects_.begin(); it != objects_.end();) {
        auto s = standing.find(it->first);
        bool keep = s != standing.end() && s->second.cmd.characterId == it->second->characterId &&
                    s->second.placedFrame == it->second->placedFrame;
        it = keep ? std::next(it) : objects_.erase(it);
    }
    for (const auto& [depth, s] : standing) {
        auto existing = objects_.find(depth);
        if (existing != objects_.end())
            setProperties(*existing->second, s.cmd);
        else
            place(s.cmd, s.placedFrame);
    }
    for (const FrameCommand& c : timeline_.frames[target]) {
        if (c.kind == FrameCommand::Kind::Actions) queueScript(timeline_.scripts[c.script]);
        if (c.kind == FrameCommand::Kind::StartSound) startSound(c);
    }
}

void TimelineState::apply(const std::vector<FrameCommand>& commands, int frame, bool runScripts) {
    for (const FrameCommand& cmd : commands) {
        switch (cmd.kind) {
        case FrameCommand::Kind::Remove: objects_.erase(cmd.remove.depth); break;
        case FrameCommand::Kind::Place: place(cmd.place, frame); break;
        case FrameCommand::Kind::Actions:
            if (runScripts) queueScript(timeline_.scripts[cmd.script]);
            break;
        case FrameCommand::Kind::StartSound:
            if (runScripts) startSound(cmd);
            break;
        case FrameCommand::Kind::InitActions: {
            const ActionScript& script = timeline_.scripts[cmd.script];
            if (playback_.initialised.insert(&script).second) queueScript(script);
            break;
        }
        }
    }
}

void TimelineState::queueScript(const ActionScript& script) { playback_.queue.push_back({weak_from_this(), &script}); }

std::unique_ptr<DisplayObject> TimelineState::instantiate(uint16_t characterId) {
    const Character* ch = movie_.character(characterId);
    if (!ch || ch->kind == Character::Kind::Bitmap || ch->kind == Character::Kind::Font) return nullptr;
    if (playback_.liveObjects >= playback_.maxObjects || !playback_.charge(Playback::kObjectWork)) return nullptr;
    bool hasTimeline = ch->kind == Character::Kind::Sprite || ch->kind == Character::Kind::Button;
    if (hasTimeline && nesting_ >= kMaxNesting) return nullptr;
    auto obj = std::make_unique<DisplayObject>(characterId, playback_);
    if (hasTimeline) {
        obj->sprite = std::make_shared<TimelineState>(movie_, ch->sprite, playback_, this, nesting_ + 1);
        obj->sprite->advance();
    }
    if (ch->kind == Character::Kind::Morph) obj->morphed = std::make_shared<Shape>(morphShapeAt(ch->morph, 0));
    return obj;
}

// A field the command leaves out takes its default.
void TimelineState::setProperties(DisplayObject& obj, const PlaceCommand& cmd) {
    obj.matrix = cmd.matrix.value_or(Matrix{});
    obj.colorTransform = cmd.colorTransform.value_or(ColorTransform{});
    obj.name = cmd.name.value_or(std::string());
    obj.blendMode = cmd.blendMode.value_or(BlendMode::Normal);
    obj.visible = cmd.visible.value_or(true);
    obj.clipDepth = cmd.clipDepth.value_or(0);
    if (obj.morphed) {
        uint16_t ratio = cmd.ratio.value_or(0);
        if (ratio != obj.ratio) {
            const Character* ch = movie_.character(obj.characterId);
            obj.morphed = std::make_shared<Shape>(morphShapeAt(ch->morph, ratio / 65535.0f));
        }
        obj.ratio = ratio;
    }
}

void TimelineState::place(const PlaceCommand& cmd, int frame) {
    auto existing = objects_.find(cmd.depth);
    if (cmd.move) {
        if (existing == objects_.end()) return;
        PlaceCommand moved = placement(*existing->second);
        merge(moved, cmd);
        if (cmd.characterId && *cmd.characterId != existing->second->characterId) {
            auto replacement = instantiate(*cmd.characterId);
            if (!replacement) return;
            replacement->placedFrame = existing->second->placedFrame;
            moved.ratio = cmd.ratio;  // a new morph starts at the command's ratio, not the old one's
            existing->second = std::move(replacement);
        }
        setProperties(*existing->second, moved);
        return;
    }
    if (!cmd.characterId) return;
    if (existing != objects_.end()) objects_.erase(existing);
    auto obj = instantiate(*cmd.characterId);
    if (!obj) return;
    obj->placedFrame = frame;
    setProperties(*obj, cmd);
    objects_[cmd.depth] = std::move(obj);
}

#include "player/movie_player.h"

DisplayObject::DisplayObject(uint16_t id, PlaybackBudget& budget) : characterId(id), budget_(budget) {
    ++budget_.liveObjects;
}

DisplayObject::~DisplayObject() {
    sprite.reset();
    --budget_.liveObjects;
}

TimelineState::TimelineState(const Movie& movie, const Timeline& timeline, PlaybackBudget& budget, int nesting)
    : movie_(movie), timeline_(timeline), budget_(budget), nesting_(nesting) {}

void TimelineState::advance() {
    int count = static_cast<int>(timeline_.frames.size());
    if (count == 0) return;
    if (frame_ >= 0 && count == 1) {
        for (auto& entry : objects_)
            if (entry.second->sprite) entry.second->sprite->advance();
        return;
    }
    int next = frame_ + 1 >= count ? 0 : frame_ + 1;
    if (next == 0) {
        objects_.clear();
    } else {
        for (auto& entry : objects_)
            if (entry.second->sprite) entry.second->sprite->advance();
    }
    frame_ = next;
    apply(timeline_.frames[next]);
}

void TimelineState::apply(const std::vector<FrameCommand>& commands) {
    for (const FrameCommand& cmd : commands) {
        if (cmd.kind == FrameCommand::Kind::Remove)
            objects_.erase(cmd.remove.depth);
        else
            place(cmd.place);
    }
}

std::unique_ptr<DisplayObject> TimelineState::instantiate(uint16_t characterId) {
    const Character* ch = movie_.character(characterId);
    if (!ch || ch->kind == Character::Kind::Bitmap) return nullptr;
    if (budget_.liveObjects >= budget_.maxObjects) return nullptr;
    if (ch->kind == Character::Kind::Sprite && nesting_ >= kMaxNesting) return nullptr;
    auto obj = std::make_unique<DisplayObject>(characterId, budget_);
    if (ch->kind == Character::Kind::Sprite) {
        obj->sprite = std::make_unique<TimelineState>(movie_, ch->sprite, budget_, nesting_ + 1);
        obj->sprite->advance();
    }
    return obj;
}

void TimelineState::place(const PlaceCommand& cmd) {
    auto existing = objects_.find(cmd.depth);
    if (cmd.move) {
        if (existing == objects_.end()) return;
        if (cmd.characterId && *cmd.characterId != existing->second->characterId) {
            auto replacement = instantiate(*cmd.characterId);
            if (!replacement) return;
            replacement->matrix = existing->second->matrix;
            replacement->colorTransform = existing->second->colorTransform;
            replacement->clipDepth = existing->second->clipDepth;
            existing->second = std::move(replacement);
        }
        if (cmd.matrix) existing->second->matrix = *cmd.matrix;
        if (cmd.colorTransform) existing->second->colorTransform = *cmd.colorTransform;
        return;
    }
    if (!cmd.characterId) return;
    if (existing != objects_.end()) objects_.erase(existing);
    auto obj = instantiate(*cmd.characterId);
    if (!obj) return;
    if (cmd.matrix) obj->matrix = *cmd.matrix;
    if (cmd.colorTransform) obj->colorTransform = *cmd.colorTransform;
    obj->clipDepth = cmd.clipDepth.value_or(0);
    objects_[cmd.depth] = std::move(obj);
}

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie) : movie_(std::move(movie)) {
    gotoFrame(0);
}

void MoviePlayer::nextFrame() { root_->advance(); }

void MoviePlayer::gotoFrame(int frame) {
    root_.reset();
    root_ = std::make_unique<TimelineState>(*movie_, movie_->timeline, budget_, 0);
    int count = frameCount();
    if (count == 0) return;
    frame %= count;
    for (int i = 0; i <= frame; ++i) root_->advance();
}

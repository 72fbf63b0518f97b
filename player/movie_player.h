#pragma once

#include "player/swf_movie.h"

#include <map>
#include <memory>

class TimelineState;

// Caps the display objects alive at once in one player, so that sprites that
// place each other cannot multiply without end.
struct PlaybackBudget {
    size_t liveObjects = 0;
    size_t maxObjects = 20000;
};

class DisplayObject {
public:
    DisplayObject(uint16_t characterId, PlaybackBudget& budget);
    ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    uint16_t characterId;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t clipDepth = 0;  // non-zero: a mask for the depths above it up to this one
    std::unique_ptr<TimelineState> sprite;  // for sprite characters

private:
    PlaybackBudget& budget_;
};

// The display list of one timeline at its current frame.
class TimelineState {
public:
    static constexpr int kMaxNesting = 12;

    TimelineState(const Movie& movie, const Timeline& timeline, PlaybackBudget& budget, int nesting);

    void advance();
    int frame() const { return frame_; }
    const std::map<uint16_t, std::unique_ptr<DisplayObject>>& objects() const { return objects_; }

private:
    void apply(const std::vector<FrameCommand>& commands);
    void place(const PlaceCommand& cmd);
    std::unique_ptr<DisplayObject> instantiate(uint16_t characterId);

    const Movie& movie_;
    const Timeline& timeline_;
    PlaybackBudget& budget_;
    int nesting_;
    int frame_ = -1;
    std::map<uint16_t, std::unique_ptr<DisplayObject>> objects_;
};

// Plays a movie's main timeline, looping.
class MoviePlayer {
public:
    explicit MoviePlayer(std::shared_ptr<const Movie> movie);

    const Movie& movie() const { return *movie_; }
    void nextFrame();
    void gotoFrame(int frame);  // replays from the start, so sprites match
    int currentFrame() const { return root_->frame(); }
    int frameCount() const { return static_cast<int>(movie_->timeline.frames.size()); }
    const TimelineState& root() const { return *root_; }

private:
    std::shared_ptr<const Movie> movie_;
    PlaybackBudget budget_;
    std::unique_ptr<TimelineState> root_;
};

#pragma once

#include "player/playback/timeline.h"

#include <memory>

// Plays a movie's main timeline, looping unless its scripts stop it.
class MoviePlayer {
public:
    // Sounds go to the events, when given.
    explicit MoviePlayer(std::shared_ptr<const Movie> movie, SoundEvents* sound = nullptr);

    const Movie& movie() const { return *movie_; }
    // One tick: every timeline advances, then the queued frame scripts run.
    void nextFrame();
    // Plays from the start for that many ticks, so sprites and scripts match;
    // only the last tick's sounds are heard.
    void replayTo(int frame);
    int currentFrame() const { return root_->frame(); }
    int frameCount() const { return static_cast<int>(movie_->timeline.frames.size()); }
    const TimelineState& root() const { return *root_; }

private:
    void runQueuedScripts();

    std::shared_ptr<const Movie> movie_;
    Playback playback_;
    std::shared_ptr<TimelineState> root_;
};

#include "player/playback/movie_player.h"

#include "player/playback/action_interpreter.h"

#include <algorithm>

namespace {
// Scripts run per tick at most; a script that keeps sending timelines to
// frames with scripts stops there.
constexpr size_t kMaxScriptsPerTick = 256;
constexpr size_t kScriptStepsPerTick = 100000;  // shared by the tick's scripts: one that loops ends there
}  // namespace

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie, SoundEvents* sound) : movie_(std::move(movie)) {
    playback_.sound = sound;
    replayTo(0);
}

void MoviePlayer::nextFrame() {
    playback_.workThisTick = 0;
    root_->advance();
    runQueuedScripts();
    std::vector<std::weak_ptr<TimelineState>> due;
    due.swap(playback_.streams);
    for (const auto& weak : due)
        if (auto timeline = weak.lock()) timeline->sendStreamBlock();
}

void MoviePlayer::runQueuedScripts() {
    size_t ran = 0, steps = kScriptStepsPerTick;
    while (!playback_.queue.empty() && ran < kMaxScriptsPerTick && steps > 0) {
        auto batch = std::move(playback_.queue);
        playback_.queue.clear();
        for (auto& [weak, script] : batch) {
            if (ran++ >= kMaxScriptsPerTick) break;
            if (auto timeline = weak.lock()) runActions(*timeline, *script, steps);
        }
    }
    playback_.queue.clear();
}

void MoviePlayer::replayTo(int frame) {
    root_.reset();
    playback_.queue.clear();
    playback_.initialised.clear();
    root_ = std::make_shared<TimelineState>(*movie_, movie_->timeline, playback_, nullptr, 0);
    if (frameCount() == 0) return;
    SoundEvents* sound = playback_.sound;
    playback_.sound = nullptr;
    for (int i = 0; i < std::max(frame, 0); ++i) nextFrame();
    playback_.sound = sound;
    nextFrame();
}

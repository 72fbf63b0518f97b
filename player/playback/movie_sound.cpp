#include "player/playback/movie_sound.h"

namespace {
// Stream decoders kept for timelines whose sound has played out.
constexpr size_t kMaxIdleStreams = 16;

bool timelineHasSound(const Timeline& t) { return t.stream || !t.soundStarts.empty(); }
}  // namespace

bool MovieSound::hasSound(const Movie& movie) {
    if (timelineHasSound(movie.timeline)) return true;
    for (const auto& entry : movie.characters)
        if (entry.second->kind == Character::Kind::Sprite && timelineHasSound(entry.second->sprite)) return true;
    return false;
}

void MovieSound::startSound(const SoundStart& start) {
    uint16_t id = start.soundId;
    if (!start.className.empty()) {
        auto named = movie_->symbolClasses.find(start.className);
        if (named == movie_->symbolClasses.end()) return;
        id = named->second;
    }
    if (start.stop) {
        mixer_.stop(id);
        return;
    }
    if (start.noMultiple && mixer_.playing(id)) return;
    auto cached = clips_.find(id);
    if (cached == clips_.end()) {
        auto sound = movie_->sounds.find(id);
        if (sound == movie_->sounds.end()) return;
        cached = clips_.emplace(id, std::make_shared<const SoundClip>(decodeEventSound(*sound->second))).first;
    }
    mixer_.start(id, cached->second, start);
}

void MovieSound::streamBlock(uint32_t timeline, const SoundStreamHead& head, const std::vector<uint8_t>& block,
                             int frame) {
    if (streams_.size() > kMaxIdleStreams && !streams_.count(timeline)) {
        for (auto it = streams_.begin(); it != streams_.end();)
            it = mixer_.streamQueued(it->first) ? std::next(it) : streams_.erase(it);
    }
    Stream& s = streams_[timeline];
    if (!s.decoder) s.decoder = std::make_unique<StreamDecoder>(head.format);
    if (frame != s.lastFrame + 1) s.decoder->restart();
    s.lastFrame = frame;
    mixer_.stream(timeline, s.decoder->decodeBlock(block.data(), block.size()));
}

size_t MovieSound::streamQueued(const MoviePlayer& player) const { return mixer_.streamQueued(player.root().serial()); }

int MovieSound::framesDue(const MoviePlayer& player, size_t low, size_t high) const {
    const TimelineState& root = player.root();
    if (!streams_.count(root.serial()) || !root.playing()) return 1;
    size_t queued = streamQueued(player);
    return queued < low ? 2 : queued > high ? 0 : 1;
}

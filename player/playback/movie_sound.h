#pragma once

#include "player/playback/movie_player.h"
#include "player/sound/sound_codecs.h"
#include "player/sound/sound_mixer.h"

#include <map>
#include <memory>

// Plays a movie's sound through a mixer as its timelines enter frames:
// event sounds with their sync flags (decoded once, on first use) and each
// timeline's stream sound.
class MovieSound : public SoundEvents {
public:
    MovieSound(std::shared_ptr<const Movie> movie, SoundMixer& mixer) : movie_(std::move(movie)), mixer_(mixer) {}

    void startSound(const SoundStart& start) override;
    void streamBlock(uint32_t timeline, const SoundStreamHead& head, const std::vector<uint8_t>& block,
                     int frame) override;

    // How many frames the main timeline should advance in its next tick to
    // stay in step with its stream sound as the mixer takes it: 2 while less
    // than `low` output frames of it are queued, 0 while more than `high`,
    // else 1 (and 1 without stream sound).
    int framesDue(const MoviePlayer& player, size_t low, size_t high) const;
    // Output frames of the main timeline's stream sound queued in the mixer.
    size_t streamQueued(const MoviePlayer& player) const;

    // Whether the movie holds any sound at all.
    static bool hasSound(const Movie& movie);

private:
    struct Stream {
        std::unique_ptr<StreamDecoder> decoder;
        int lastFrame = -1;
    };
    std::shared_ptr<const Movie> movie_;
    SoundMixer& mixer_;
    std::map<uint16_t, std::shared_ptr<const SoundClip>> clips_;
    std::map<uint32_t, Stream> streams_;
};

// The built content archive: scene scripts, the movies they name and the
// information file, as the scene player and side window will read them.
#include "content/archive.h"
#include "content/file_byte_source.h"
#include "player/player.h"
#include "scene/scene_script.h"

#include "ascii_text.h"
#include "movie_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

VfsArchive* archive() {
    static std::unique_ptr<VfsArchive> mounted =
        VfsArchive::mount(FileByteSource::open(PALLO_CONTENT_ARCHIVE), VfsCodec::standard(), u"pallo.vfs");
    return mounted.get();
}

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool readDocument(const std::u16string& path, KeyValueDocument& document) {
    uint32_t size = 0;
    VfsBuffer buffer = vfsReadFile(archive(), path, &size);
    if (!buffer) return false;
    document.parseBytes(buffer.get(), size);
    return true;
}

// Decoded once per name; null when missing or unreadable.
std::shared_ptr<const Movie> movie(const std::u16string& name) {
    static std::map<std::u16string, std::shared_ptr<const Movie>> decoded;
    if (!decoded.count(name)) {
        uint32_t size = 0;
        VfsBuffer buffer = vfsReadFile(archive(), u"swf\\" + name, &size);
        decoded[name] = buffer ? decodeOrNull({buffer.get(), buffer.get() + size}) : nullptr;
    }
    return decoded[name];
}

struct Scene {
    const char* name;
    const char* common;  // empty: none
    double minSeconds, maxSeconds;
    size_t sequences, movies;  // the orders it plays its movies in, and how many it plays; 0: not counted
};

// The scene table, with how long each scene may take in all. A hopsa scene
// that is not the first plays one lively and one calm set, each of two.
const Scene kScenes[] = {
    {"nessel-turnoff", "", 170, 190, 0, 0},
    {"nessel-sleep", "", 170, 190, 0, 0},
    {"hopsa-manual", "c-hopsa-common.txt", 60, 120, 4, 5},
    {"hopsa-usual", "c-hopsa-common.txt", 60, 120, 4, 5},
    {"hopsa-first", "c-hopsa-common.txt", 40, 90, 0, 0},
    {"tolder", "", 3, 15, 3, 0},
    {"test", "", 3, 15, 0, 0},
};

}  // namespace

// Each scene played many times over: every choice comes up, every script of
// the archive is played by some scene, every movie plays whole loops and the
// scenes last as long as meant.
TEST(Content, EveryChoiceOfEverySceneComesUpAndTheScenesLastAsLongAsMeant) {
    ASSERT_NE(archive(), nullptr) << PALLO_CONTENT_ARCHIVE;
    std::set<std::u16string> scriptsRead;
    ScriptLoader loader = [&scriptsRead](const std::u16string& path, KeyValueDocument& document) {
        scriptsRead.insert(path);
        return readDocument(path, document);
    };
    static std::mt19937 generator(7);
    RandomSource random = [](void* buffer, size_t length) {
        auto* bytes = static_cast<unsigned char*>(buffer);
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(generator());
    };
    for (const Scene& scene : kScenes) {
        std::set<std::u16string> moviesPlayed;
        std::set<std::vector<std::u16string>> sequences;
        for (int run = 0; run < 60; ++run) {
            SceneScript script(loader, random, asciiText);
            if (*scene.common) script.load(wide(scene.common));
            ASSERT_TRUE(script.load(wide("c-" + std::string(scene.name) + ".txt"))) << scene.name;
            script.nextList();
            std::vector<std::u16string> sequence;
            double seconds = 0;
            for (auto step = script.nextMovie(); step;) {
                ASSERT_GT(step->durationMs, 0) << scene.name << " never ends";
                auto played = movie(step->movieName);
                ASSERT_NE(played, nullptr) << asciiText(step->movieName);
                // A time cut between two loops would end a caption mid-way.
                const double loopMs = 1000.0 * played->timeline.frames.size() / played->frameRate;
                const double loops = step->durationMs / loopMs;
                EXPECT_NEAR(loops, std::round(loops), 80.0 / loopMs)
                    << asciiText(step->movieName) << " in " << scene.name;
                EXPECT_GE(std::round(loops), 1) << asciiText(step->movieName);
                seconds += step->durationMs / 1000.0;
                sequence.push_back(step->movieName);
                moviesPlayed.insert(step->movieName);
                step = script.nextMovie();
                while (!step && script.nextList()) step = script.nextMovie();
            }
            ASSERT_FALSE(sequence.empty()) << scene.name;
            EXPECT_GE(seconds, scene.minSeconds) << scene.name;
            EXPECT_LE(seconds, scene.maxSeconds) << scene.name;
            sequences.insert(sequence);
        }
        if (scene.sequences) {
            EXPECT_EQ(sequences.size(), scene.sequences) << scene.name;
        }
        EXPECT_GE(moviesPlayed.size(), scene.movies) << scene.name;
    }
    for (VfsEntry* entry = archive()->find(u"info")->firstChild; entry; entry = entry->next)
        EXPECT_EQ(scriptsRead.count(u"info\\" + entry->name), 1u) << asciiText(entry->name) << " is never played";
}

TEST(Content, EveryMovieShowsTikkoMovesSmoothlyAndSoundsSoftlyInItsFirstRunOnly) {
    ASSERT_NE(archive(), nullptr);
    VfsEntry* folder = archive()->find(u"swf");
    ASSERT_NE(folder, nullptr);
    int movies = 0;
    for (VfsEntry* entry = folder->firstChild; entry; entry = entry->next, ++movies) {
        auto decoded = movie(entry->name);
        ASSERT_NE(decoded, nullptr) << asciiText(entry->name);
        EXPECT_GE(decoded->frameRate, 24.0f);
        EXPECT_LE(decoded->frameRate, 30.0f);
        EXPECT_EQ(decoded->frameRect.width() * 3, decoded->frameRect.height() * 4) << asciiText(entry->name);
        MoviePlayer player(decoded);
        const int last = player.frameCount() - 1;
        ASSERT_GT(last, 24) << asciiText(entry->name);
        for (int frame : {0, last / 2, last}) {
            player.replayTo(frame);
            const std::vector<uint32_t> pixels = renderPlayer(player, 160, 120).pixels;
            // Tikko's orange fur, and more than a flat picture.
            size_t fur = 0;
            std::set<uint32_t> colours;
            for (uint32_t p : pixels) {
                int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (r > 220 && g > 130 && g < 200 && b < 120) ++fur;
                colours.insert(p);
            }
            EXPECT_GT(fur, 200u) << asciiText(entry->name) << " frame " << frame;
            EXPECT_GT(colours.size(), 200u) << asciiText(entry->name) << " frame " << frame;
        }

        // Every placed part, Tikko's limbs as well as captions, moves by small
        // steps: a pose that jumps between two frames shows as a jerk on screen.
        player.replayTo(0);
        std::map<uint16_t, std::pair<Matrix, float>> previous;
        for (int frame = 0; frame < player.frameCount(); ++frame) {
            if (frame > 0) player.nextFrame();
            std::map<uint16_t, std::pair<Matrix, float>> now;
            for (const auto& [depth, object] : player.root().objects())
                now[depth] = {object->matrix, object->colorTransform.mul[3]};
            for (const auto& [depth, state] : now) {
                auto old = previous.find(depth);
                if (old == previous.end() || state.second < 0.1f || old->second.second < 0.1f) continue;
                const Matrix &a = old->second.first, &b = state.first;
                const float turn =
                    std::max({std::fabs(a.a - b.a), std::fabs(a.b - b.b), std::fabs(a.c - b.c), std::fabs(a.d - b.d)});
                EXPECT_LT(turn, 0.5) << asciiText(entry->name) << " frame " << frame << " depth " << depth;
                EXPECT_LT(std::hypot(a.tx - b.tx, a.ty - b.ty) / 20, 30.0)
                    << asciiText(entry->name) << " frame " << frame;
            }
            previous = std::move(now);
        }

        // It sounds in its first run, softly, and not again when the scene loops it.
        SoundMixer mixer;
        MovieSound sound(decoded, mixer);
        MoviePlayer heard(decoded, &sound);
        const size_t tick = static_cast<size_t>(SoundMixer::kRate / decoded->frameRate);
        std::vector<int16_t> samples(2 * tick);
        int peak[2] = {0, 0};
        for (int run = 0; run < 2; ++run)
            for (int f = 0; f < heard.frameCount(); ++f) {
                if (run || f) heard.nextFrame();
                mixer.mix(samples.data(), tick);
                for (int16_t v : samples) peak[run] = std::max(peak[run], std::abs(static_cast<int>(v)));
            }
        EXPECT_GT(peak[0], 2000) << asciiText(entry->name) << " is silent";
        EXPECT_LT(peak[0], 32768 / 5) << asciiText(entry->name) << " is louder than -14 dBFS";
        EXPECT_EQ(peak[1], 0) << asciiText(entry->name) << " sounds again in its second run";
    }
    EXPECT_GE(movies, 12);
}

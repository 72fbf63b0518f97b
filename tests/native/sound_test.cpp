// The player's sound: each format decoded as other decoders decode it (ffmpeg
// writes the ADPCM and MP3 references and one movie), the mixer's sums,
// loops, points and envelopes, and a movie's sounds as its frames play.
#include <gtest/gtest.h>

#include "movie_test_support.h"
#include "player/player.h"
#include "player/sound/sound_codecs.h"
#include "player/sound/sound_mixer.h"
#include "tools/writers/sound_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace {

// A stream's head, in a timeline.
void streamHead(TimelineWriter& timeline, const SoundStreamHead& head) {
    BitWriter w;
    SoundFormat playback = head.format;      // played as it is stored
    playback.codec = SoundCodec::NativePcm;  // the field is reserved here
    writeSoundFormat(w, playback);
    writeSoundFormat(w, head.format);
    w.u16(head.samplesPerBlock);
    if (head.format.codec == SoundCodec::Mp3) w.u16(0);
    timeline.rawTag(SwfTag::SoundStreamHead2, w.data());
}

const std::string& workDir() {
    static const std::string dir = [] {
        std::string d = std::string(PALLO_TOOLS_DIR) + "/../sound-references";
        mkdir(d.c_str(), 0755);
        return d;
    }();
    return dir;
}

// Runs ffmpeg quietly with the arguments; the output lands in workDir().
void ffmpeg(const std::string& arguments) {
    std::string command = "cd " + workDir() + " && ffmpeg -hide_banner -loglevel error -y " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::vector<uint8_t> readFile(const std::string& name) {
    std::ifstream in(workDir() + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The audio packets of an FLV file, each without its one-byte audio header.
std::vector<std::vector<uint8_t>> flvAudioPackets(const std::vector<uint8_t>& flv) {
    std::vector<std::vector<uint8_t>> packets;
    size_t at = 13;  // header and the first previous-tag size
    while (at + 11 <= flv.size()) {
        size_t size = flv[at + 1] << 16 | flv[at + 2] << 8 | flv[at + 3];
        if (at + 11 + size > flv.size()) break;
        if (flv[at] == 8 && size > 1) packets.emplace_back(flv.begin() + at + 12, flv.begin() + at + 11 + size);
        at += 11 + size + 4;
    }
    return packets;
}

SoundClip concatenatedStream(const SoundFormat& format, const std::vector<std::vector<uint8_t>>& blocks) {
    StreamDecoder decoder(format);
    SoundClip all;
    for (const auto& block : blocks) {
        SoundClip part = decoder.decodeBlock(block.data(), block.size());
        all.samples.insert(all.samples.end(), part.samples.begin(), part.samples.end());
    }
    return all;
}

struct Decoded {
    std::vector<int16_t> got, want;
};

// A tone stored as it is, and the samples it stands for.
Decoded uncompressed(SoundCodec codec, bool sixteenBit, bool bigEndian) {
    EncodedSound sound{{codec, 11025, sixteenBit, false}, 2000, {}};
    Decoded d;
    for (int i = 0; i < 2000; ++i) {
        const auto s = static_cast<uint16_t>(static_cast<int16_t>(12000 * std::sin(i * 2 * M_PI * 440 / 11025)));
        const uint8_t high = s >> 8, low = s & 0xFF;
        if (sixteenBit) sound.data.insert(sound.data.end(), {bigEndian ? high : low, bigEndian ? low : high});
        if (!sixteenBit) sound.data.push_back(high ^ 0x80);  // 8-bit samples are unsigned
        d.want.push_back(static_cast<int16_t>(sixteenBit ? s : s & 0xFF00));
    }
    d.got = decodeEventSound(sound).samples;
    return d;
}

// ffmpeg writes the file from a 440 Hz tone (the rest of its arguments given)
// and decodes it for the reference; the player decodes it as `decode` says.
Decoded ffmpegs(const std::string& tone, const std::string& file,
                const std::function<std::vector<int16_t>(const std::vector<uint8_t>&)>& decode) {
    ffmpeg("-f lavfi -i sine=frequency=440:sample_rate=22050:" + tone + " " + file);
    ffmpeg("-i " + file + " -f s16le " + file + ".raw");
    const std::vector<uint8_t> raw = readFile(file + ".raw");  // little-endian samples
    Decoded d{decode(readFile(file)), std::vector<int16_t>(raw.size() / 2)};
    for (size_t i = 0; i < d.want.size(); ++i) d.want[i] = static_cast<int16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    return d;
}

}  // namespace

TEST(SoundFormats, DecodeAsOtherDecodersDo) {
    using Bytes = std::vector<uint8_t>;
    const SoundFormat adpcm{SoundCodec::Adpcm, 22050, true, true};
    auto firstPacket = [&adpcm](const Bytes& flv) {
        auto packets = flvAudioPackets(flv);
        return packets.empty() ? std::vector<int16_t>{} : decodeEventSound({adpcm, 0, packets[0]}).samples;
    };
    auto wholeStream = [&adpcm](const Bytes& flv) { return concatenatedStream(adpcm, flvAudioPackets(flv)).samples; };
    auto mp3 = [](const Bytes& bytes) {
        return decodeEventSound({{SoundCodec::Mp3, 22050, true, false}, 0, bytes}).samples;
    };
    // A movie ffmpeg writes: its sound is an MP3 stream, a block a frame.
    auto movieStream = [](const Bytes& bytes) {
        auto movie = decodeMovie(bytes.data(), bytes.size());
        EXPECT_TRUE(movie && movie->timeline.stream && movie->timeline.stream->format.codec == SoundCodec::Mp3);
        if (!movie || !movie->timeline.stream) return std::vector<int16_t>{};
        return concatenatedStream(movie->timeline.stream->format, movie->timeline.streamBlocks).samples;
    };
    struct Case {
        const char* name;
        Decoded decoded;
        int tolerance;           // MP3 decoders round their float synthesis differently
        bool onePacket = false;  // the first packet alone, held against the reference's start
    };
    const Case cases[] = {
        {"uncompressed 8-bit", uncompressed(SoundCodec::LittleEndianPcm, false, false), 0},
        {"uncompressed 16-bit little-endian (3)", uncompressed(SoundCodec::LittleEndianPcm, true, false), 0},
        {"uncompressed 16-bit in a little-endian writer's order (0)", uncompressed(SoundCodec::NativePcm, true, false),
         0},
        {"uncompressed 16-bit in a big-endian writer's order (0)", uncompressed(SoundCodec::NativePcm, true, true), 0},
        {"ADPCM event sound, ffmpeg's encoder", ffmpegs("duration=0.5 -ac 2 -c:a adpcm_swf", "adpcm.flv", firstPacket),
         0, true},
        {"ADPCM stream, ffmpeg's encoder", ffmpegs("duration=0.5 -ac 2 -c:a adpcm_swf", "adpcm.flv", wholeStream), 0},
        {"MP3 event sound, LAME's encoder",
         ffmpegs("duration=0.4 -c:a libmp3lame -b:a 48k -write_xing 0", "sound.mp3", mp3), 4},
        {"MP3 stream of a movie ffmpeg wrote",
         ffmpegs("duration=0.5 -ac 2 -c:a libmp3lame -b:a 64k", "stream.swf", movieStream), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = c.decoded;
        if (c.onePacket) {
            EXPECT_GE(d.got.size(), 2u * 1024);
            d.want.resize(std::min(d.want.size(), d.got.size()));
        }
        ASSERT_GT(d.want.size(), 1000u);
        ASSERT_EQ(d.got.size(), d.want.size());
        int worst = 0;
        for (size_t i = 0; i < d.got.size(); ++i) worst = std::max(worst, std::abs(d.got[i] - d.want[i]));
        EXPECT_LE(worst, c.tolerance);
    }
}

// 4-bit codes of the largest step, up and down in turn: the step index stops
// at the table's last step, and the sound swings nearly from rail to rail.
TEST(SoundFormats, AdpcmAtItsLoudestStaysInItsStepTable) {
    std::vector<uint8_t> data(2000, 0x7F);
    data[0] = 0x80;  // 4-bit codes, then a first sample of 0 at step 0
    data[1] = data[2] = 0;
    SoundClip clip = decodeEventSound({{SoundCodec::Adpcm, 22050, true, false}, 0, data});
    ASSERT_GT(clip.frames(), 1000u);
    for (size_t i = 100; i < clip.frames(); ++i) ASSERT_GT(std::abs(clip.samples[i]), 20000) << i;
}

namespace {

std::shared_ptr<const SoundClip> level(int16_t value, size_t frames, uint32_t rate = 44100, unsigned channels = 1) {
    auto clip = std::make_shared<SoundClip>();
    clip->rate = rate;
    clip->channels = channels;
    clip->samples.assign(frames * channels, value);
    if (channels == 2)
        for (size_t i = 1; i < clip->samples.size(); i += 2) clip->samples[i] = static_cast<int16_t>(-value);
    return clip;
}

}  // namespace

TEST(SoundMixer, MixesLoopsCutsAndShapesSounds) {
    struct Check {
        size_t frame;
        int left, right;
    };
    struct Case {
        const char* name;
        std::vector<std::shared_ptr<const SoundClip>> clips;  // started as sounds 1, 2, ...
        SoundStart how;
        std::vector<Check> checks;
        bool streamed = false;  // handed to stream 1 instead, which stays busy
    };
    SoundStart once, looped, cut, cutQuarterRate, shaped;
    looped.loops = 3;
    cut.inPoint = 20;
    cut.outPoint = 70;
    cutQuarterRate.inPoint = 20;
    cutQuarterRate.outPoint = 68;
    shaped.envelope = {{0, 0, 32768}, {100, 32768, 0}};
    const Case cases[] = {
        {"a sound plays once", {level(1000, 100)}, once, {{0, 1000, 1000}, {99, 1000, 1000}, {100, 0, 0}}},
        {"loops repeat it", {level(1000, 100)}, looped, {{299, 1000, 1000}, {300, 0, 0}}},
        {"in and out points cut it", {level(1000, 100)}, cut, {{49, 1000, 1000}, {50, 0, 0}}},
        {"points count at 44.1 kHz", {level(1000, 100, 11025)}, cutQuarterRate, {{47, 1000, 1000}, {48, 0, 0}}},
        {"a quarter rate lasts four times as long", {level(1000, 100, 11025)}, once, {{399, 1000, 1000}, {400, 0, 0}}},
        {"an envelope fades",
         {level(1000, 200)},
         shaped,
         {{0, 0, 1000}, {50, 500, 500}, {100, 1000, 0}, {150, 1000, 0}}},
        {"stereo keeps its sides", {level(1000, 100, 44100, 2)}, once, {{10, 1000, -1000}}},
        {"sounds at once add up", {level(1000, 100), level(2000, 50)}, once, {{0, 3000, 3000}, {50, 1000, 1000}}},
        {"the sum is clipped", {level(30000, 10), level(30000, 10)}, once, {{0, 32767, 32767}}},
        {"at most 32 voices sound at once", std::vector(40, level(100, 10)), once, {{0, 3200, 3200}}},
        {"a stream keeps ten seconds", {level(1000, 44100), level(2000, 441000)}, once, {{0, 2000, 2000}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SoundMixer mixer;
        for (size_t i = 0; i < c.clips.size(); ++i)
            c.streamed ? mixer.stream(1, *c.clips[i]) : mixer.start(static_cast<uint16_t>(i + 1), c.clips[i], c.how);
        std::vector<int16_t> out(2 * 1000);
        mixer.mix(out.data(), 1000);
        for (const Check& check : c.checks) {
            EXPECT_NEAR(out[2 * check.frame], check.left, 2) << "left at " << check.frame;
            EXPECT_NEAR(out[2 * check.frame + 1], check.right, 2) << "right at " << check.frame;
        }
        EXPECT_EQ(mixer.idle(), !c.streamed);
    }
}

namespace {

constexpr float kTestFrameRate = 10;
constexpr size_t kTickFrames = 4410;  // output frames of one movie frame

EncodedSound levelSound(int16_t value, size_t frames) {
    EncodedSound sound{{SoundCodec::LittleEndianPcm, 11025, true, false}, static_cast<uint32_t>(frames), {}};
    for (size_t i = 0; i < frames; ++i) sound.data.insert(sound.data.end(), {uint8_t(value), uint8_t(value >> 8)});
    return sound;
}

// Plays the movie for the ticks and returns the left level in the middle of each.
std::vector<int> levelsPerTick(const std::vector<uint8_t>& bytes, int ticks) {
    auto movie = decodeOrNull(bytes);
    std::vector<int> levels;
    if (!movie) return levels;
    SoundMixer mixer;
    MovieSound sound(movie, mixer);
    MoviePlayer player(movie, &sound);
    std::vector<int16_t> out(2 * kTickFrames);
    for (int t = 0; t < ticks; ++t) {
        if (t > 0) player.nextFrame();
        mixer.mix(out.data(), kTickFrames);
        levels.push_back(out[kTickFrames]);
    }
    return levels;
}

}  // namespace

TEST(MovieSound, FramesStartStopAndStreamTheirSounds) {
    using WriteFrame = std::function<void(SwfWriter&, TimelineWriter&, int frame, uint16_t sound)>;
    struct Case {
        const char* name;
        int frames;
        WriteFrame frame;
        std::vector<int> levels;  // one a tick: the movie loops after its last frame
    };
    // Starts the sound on each of the frames, or on `stopFrame` stops it.
    auto startOn = [](std::vector<int> frames, bool noMultiple = false, int stopFrame = -1) -> WriteFrame {
        return [=](SwfWriter&, TimelineWriter& t, int f, uint16_t id) {
            if (std::find(frames.begin(), frames.end(), f) == frames.end()) return;
            SoundStart s;
            s.soundId = id;
            s.noMultiple = noMultiple;
            s.stop = f == stopFrame;
            startSound(t, s);
        };
    };
    const Case cases[] = {
        {"a sound starts with its frame", 3, startOn({1}), {0, 1000, 1000}},
        {"a second start adds an instance", 3, startOn({0, 1}), {1000, 2000, 2000}},
        {"no-multiple starts no second instance", 3, startOn({0, 1}, true), {1000, 1000, 1000}},
        {"stop ends every instance", 3, startOn({0, 1, 2}, false, 2), {1000, 2000, 0}},
        {"StartSound2 names the sound by its class",
         2,
         [](SwfWriter& w, TimelineWriter& t, int f, uint16_t id) {
             if (f > 0) return;
             w.rawDefinition(SwfTag::SymbolClass, {1, 0, uint8_t(id), uint8_t(id >> 8), 'B', 'e', 'e', 'p', 0});
             SoundStart s;
             s.className = "Beep";
             startSound(t, s);
         },
         {1000, 1000}},
        {"stream sound plays the block of each frame",
         3,
         [](SwfWriter&, TimelineWriter& t, int f, uint16_t) {
             if (f == 0) streamHead(t, {{SoundCodec::LittleEndianPcm, 11025, true, false}, 1103});
             t.rawTag(SwfTag::SoundStreamBlock, levelSound(static_cast<int16_t>(100 * (f + 1)), 1103).data);
         },
         {100, 200, 300}},
        {"a looping movie starts its first frame's sound again", 2, startOn({0}), {1000, 1000, 2000, 2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SwfWriter w(8, TwipsRect{0, 2000, 0, 2000}, kTestFrameRate);
        uint16_t id = defineSound(w, levelSound(1000, 11025));
        for (int f = 0; f < c.frames; ++f) {
            c.frame(w, w.timeline(), f, id);
            w.timeline().showFrame();
        }
        EXPECT_EQ(levelsPerTick(w.finish(false), static_cast<int>(c.levels.size())), c.levels);
    }
}

TEST(MovieSound, TheMainTimelineKeepsInStepWithItsStreamSound) {
    SwfWriter w(8, TwipsRect{0, 2000, 0, 2000}, kTestFrameRate);
    streamHead(w.timeline(), {{SoundCodec::LittleEndianPcm, 22050, true, false}, 2205});
    for (int f = 0; f < 20; ++f) {
        w.timeline().rawTag(SwfTag::SoundStreamBlock, levelSound(1000, kTickFrames / 2).data);
        w.timeline().showFrame();
    }
    auto movie = decodeOrNull(w.finish(false));
    ASSERT_TRUE(movie);
    SoundMixer mixer;
    MovieSound sound(movie, mixer);
    MoviePlayer player(movie, &sound);
    const size_t low = kTickFrames, high = 3 * kTickFrames;
    std::vector<int16_t> out(2 * kTickFrames);
    EXPECT_EQ(sound.framesDue(player, low, high), 1);  // one frame's sound queued
    for (int i = 0; i < 3; ++i) player.nextFrame();
    EXPECT_EQ(sound.framesDue(player, low, high), 0) << "frames ran ahead of the sound";
    for (int i = 0; i < 4; ++i) mixer.mix(out.data(), kTickFrames);
    EXPECT_EQ(sound.framesDue(player, low, high), 2) << "the sound ran ahead of the frames";
}

// Sound under Wine. Wine plays waveOut through ALSA; CTest runs these tests
// with ALSA_CONFIG_PATH naming a configuration whose default device writes
// to a file, so the programs a test starts write what they play there as raw
// 44.1 kHz 16-bit stereo. Wine writes silence for the time nothing was
// played: the file is a timeline from the moment the player opened the device.
#include <windows.h>

#include <gtest/gtest.h>

#include "player/player.h"
#include "player/tikkoplay/tikkoplay_win.h"
#include "shell/control_channel_win.h"
#include "support/fake_control_module.h"
#include "support/suite.h"
#include "tools/writers/sound_writer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

std::wstring windowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// The sound the programs started from now on play. A Wine program's children
// take its Unix environment, not the Windows one it can change, so the
// variable comes from CTest (tests/wine/CMakeLists.txt).
class SoundCapture {
public:
    SoundCapture() : unixFile_(std::string(PALLO_WINE_TEST_UNIX_DIR) + "/capture.raw") {
        DeleteFileW(windowsPath(unixFile_).c_str());
        EXPECT_NE(GetEnvironmentVariableW(L"ALSA_CONFIG_PATH", nullptr, 0), 0u) << "run through CTest";
    }

    size_t bytes() const { return suite::readBytes(windowsPath(unixFile_)).size(); }
    // The left channel.
    std::vector<int16_t> left() const {
        const std::string raw = suite::readBytes(windowsPath(unixFile_));
        std::vector<int16_t> samples;
        for (size_t i = 0; i + 3 < raw.size(); i += 4)
            samples.push_back(static_cast<int16_t>(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8));
        return samples;
    }

private:
    std::string unixFile_;
};

// The first loud sample and the one after the last.
std::pair<size_t, size_t> loudRange(const std::vector<int16_t>& s) {
    size_t first = 0, last = s.size();
    while (first < last && std::abs(s[first]) < 150) ++first;
    while (last > first && std::abs(s[last - 1]) < 150) --last;
    return {first, last};
}

// The samples from the first loud one to the last, without the runs of
// silence Wine writes whenever it holds less than its period: the null device
// takes everything at once, so Wine runs dry between the player's buffers and
// fills the gaps with zeros. The movies' own quiet is never 32 zeros long.
std::vector<int16_t> soundWithoutGaps(const std::vector<int16_t>& s) {
    auto [from, to] = loudRange(s);
    std::vector<int16_t> out;
    for (size_t i = from; i < to;) {
        size_t zeros = 0;
        while (i + zeros < to && s[i + zeros] == 0) ++zeros;
        if (zeros < 32) out.insert(out.end(), s.begin() + i, s.begin() + i + std::max<size_t>(zeros, 1));
        i += std::max<size_t>(zeros, 1);
    }
    return out;
}

std::vector<int16_t> tone(double seconds, uint32_t rate, double hertz = 440) {
    std::vector<int16_t> s;
    for (size_t i = 0; i < static_cast<size_t>(seconds * rate); ++i)
        s.push_back(static_cast<int16_t>(9000 * std::sin(i * 2 * kPi * hertz / rate)));
    return s;
}

// What a captured tone sounds like: its first loud sample, its length from
// there to the last, the longest quiet run inside it and its frequency from
// the rising zero crossings.
struct Heard {
    double start = 0, seconds = 0, longestQuiet = 0, hertz = 0;
};

Heard hear(const std::vector<int16_t>& s) {
    Heard heard;
    auto [first, last] = loudRange(s);
    if (first == last) return heard;
    size_t quiet = 0, longest = 0, crossings = 0;
    for (size_t i = first; i < last; ++i) {
        quiet = std::abs(s[i]) < 150 ? quiet + 1 : 0;
        longest = std::max(longest, quiet);
        if (i > first && s[i - 1] < 0 && s[i] >= 0) ++crossings;
    }
    heard.start = first / kRate;
    heard.seconds = (last - first) / kRate;
    heard.longestQuiet = longest / kRate;
    heard.hertz = crossings / heard.seconds;
    return heard;
}

// 16-bit little-endian samples.
std::vector<uint8_t> uncompressed(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> data;
    for (int16_t s : samples) data.insert(data.end(), {static_cast<uint8_t>(s), static_cast<uint8_t>(s >> 8)});
    return data;
}

// A movie of `frames` frames at `rate` a second that plays once; frame 0 starts the sound.
std::vector<uint8_t> eventSoundMovie(const EncodedSound& sound, float rate = 20, int frames = 10) {
    SwfWriter w(8, TwipsRect{0, 2000, 0, 2000}, rate);
    SoundStart start;
    start.soundId = defineSound(w, sound);
    startSound(w.timeline(), start);
    for (int f = 0; f < frames; ++f) {
        if (f == frames - 1) w.timeline().actions({0x07});
        w.timeline().showFrame();
    }
    return w.finish(false);
}

std::wstring writeMovie(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    std::wstring path = windowsPath(std::string(PALLO_WINE_TEST_UNIX_DIR)) + L"\\" + name;
    suite::writeBytes(path, bytes);
    return path;
}

}  // namespace

// The formats' decoding and the streams' blocks are tested natively: here a
// stream written by another program reaches the device.
TEST(SoundUnderWine, AStreamOfAnotherWriterReachesTheDevice) {
    std::wstring movie = windowsPath(std::string(PALLO_WINE_TEST_UNIX_DIR) + "/stream.swf");
    SoundCapture capture;
    ASSERT_EQ(suite::run(suite::binDir() + L"\\movie_viewer.exe", L"\"" + movie + L"\" 1500"), 0u);
    std::vector<int16_t> left = capture.left();
    Heard heard = hear(left);
    ASSERT_GT(heard.seconds, 0) << "nothing heard in " << left.size() << " samples";
    EXPECT_LT(heard.start, 0.1) << "late";
    // ffmpeg keeps one MP3 frame (26 ms) a movie frame (100 ms) of its tone:
    // the stream is not one clean tone, and the frames must run fast to keep it fed.
    EXPECT_GE(soundWithoutGaps(left).size() / kRate, 0.45);
}

// An event sound comes out whole and on time: no stretch of silence inside
// it, its own length and its own pitch (a device opened at another rate or
// width would draw it out or cut it), while the movie's frames are drawn beside it.
TEST(SoundUnderWine, AToneIsCapturedWholeAtItsOwnPitch) {
    std::wstring movie = writeMovie(
        L"tone-movie.swf",
        eventSoundMovie({{SoundCodec::LittleEndianPcm, 44100, true, false}, 0, uncompressed(tone(1.5, 44100, 660))}, 12,
                        24));
    // Wine writes a period of zeros whenever its own thread runs late, which
    // a loaded machine makes happen now and then; a player that starves its
    // device leaves gaps in every try.
    Heard heard;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SoundCapture capture;
        ASSERT_EQ(suite::run(suite::binDir() + L"\\movie_viewer.exe", L"\"" + movie + L"\" 2200"), 0u);
        heard = hear(capture.left());
        if (heard.longestQuiet < 0.002) break;
    }
    EXPECT_LT(heard.start, 0.1) << "late";
    EXPECT_LT(heard.longestQuiet, 0.002) << "the tone has gaps";
    EXPECT_NEAR(heard.seconds, 1.5, 0.03) << "the tone is cut or drawn out";
    EXPECT_NEAR(heard.hertz, 660, 5);
}

TEST(SoundUnderWine, ASceneSoundsFromItsStartToItsEndUnlessMuted) {
    struct Case {
        const wchar_t* name;
        const wchar_t* archive;
        const wchar_t* scene;
        double soundFrom, soundLength;  // the grumble of the tolder movies
        bool heard;
    };
    const Case cases[] = {
        {L"a grumble", PALLO_CONTENT_ARCHIVE, L"tolder", 0.33, 1.03, true},
        {L"a muted scene", PALLO_SOUND_ARCHIVE, L"tolder", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        suite::stopControlModules();
        DeleteFileW(dataLocations().controlModulePath());
        std::wstring program = suite::makeProgramFolder(L"sound-program");
        ASSERT_FALSE(program.empty());
        ASSERT_TRUE(CopyFileW(c.archive, (program + L"\\pallo.vfs").c_str(), FALSE));
        suite::FakeControlModule module;
        SoundCapture capture;
        HANDLE process = suite::start(program + L"\\qz.exe", std::wstring(L"/show:") + c.scene);
        ASSERT_NE(process, nullptr);
        // When sound reaches the file: Wine adds its silence to the file's own
        // timeline, so the times are read off the clock as the file grows.
        DWORD firstLoud = 0, lastLoud = 0, lastGrowth = 0;
        size_t seen = 0;
        for (DWORD waited = 0; WaitForSingleObject(process, 10) == WAIT_TIMEOUT && waited < 15000; waited += 10) {
            std::vector<int16_t> left = capture.left();
            if (left.size() == seen) continue;
            lastGrowth = GetTickCount();
            for (size_t i = seen; i < left.size(); ++i)
                if (std::abs(left[i]) >= 150) {
                    if (!firstLoud) firstLoud = lastGrowth;
                    lastLoud = lastGrowth;
                }
            seen = left.size();
        }
        ASSERT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
        CloseHandle(process);
        size_t atEnd = capture.bytes();
        Sleep(500);
        EXPECT_EQ(capture.bytes(), atEnd) << "sound after the scene ended";
        if (!c.heard) {
            EXPECT_EQ(atEnd, 0u) << "a muted scene opened the sound device";
            continue;
        }
        std::vector<suite::FakeControlModule::Command> commands = module.commands();
        ASSERT_GE(commands.size(), 2u);
        ASSERT_NE(firstLoud, 0u) << "nothing heard";
        const DWORD sceneStart = commands.front().tick, sceneEnd = commands.back().tick;
        // The player mixes up to 160 ms ahead; the file gets it at once.
        EXPECT_NEAR((static_cast<double>(firstLoud) - sceneStart) / 1000, c.soundFrom - 0.06, 0.25)
            << "the sound does not start with the scene";
        EXPECT_NEAR((lastLoud - firstLoud) / 1000.0, c.soundLength, 0.25);
        EXPECT_GE(lastGrowth + 300, sceneEnd) << "the sound stopped before the scene ended";
        EXPECT_LE(lastGrowth, sceneEnd + 300) << "the sound went on after the scene ended";
    }
}

TEST(SoundUnderWine, AnotherMovieOrMutingStopsTheSound) {
    HMODULE module = LoadLibraryW((suite::binDir() + L"\\" + kTikkoPlayerDll).c_str());
    ASSERT_NE(module, nullptr);
    HWND control =
        CreateWindowExW(0, kTikkoPlayerClass, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    auto put = [&](const std::vector<uint8_t>& movie) {
        std::wstring path = writeMovie(L"put-movie.swf", movie);
        char ansi[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);
        SendMessageW(control, WM_TIKKO_PUT_MOVIE, 0, reinterpret_cast<LPARAM>(ansi));
    };
    const std::vector<uint8_t> sounding =
        eventSoundMovie({{SoundCodec::LittleEndianPcm, 22050, true, false}, 0, uncompressed(tone(2.0, 22050))});
    SoundCapture capture;
    put(sounding);
    suite::pump(400);
    SwfWriter silent(8, TwipsRect{0, 2000, 0, 2000}, 20);
    silent.timeline().showFrame();
    put(silent.finish(false));
    size_t afterPut = capture.bytes();
    suite::pump(400);
    EXPECT_EQ(capture.bytes(), afterPut) << "the device stayed open";
    std::vector<int16_t> sound = soundWithoutGaps(capture.left());
    EXPECT_GT(sound.size() / kRate, 0.3);
    EXPECT_LT(sound.size() / kRate, 0.65) << "the first movie's sound went on";
    // Muted before its device opened: it never opens.
    put(sounding);
    SendMessageW(control, WM_TIKKO_SET_SOUND, FALSE, 0);
    size_t muted = capture.bytes();
    suite::pump(400);
    EXPECT_EQ(capture.bytes(), muted) << "a movie muted before its first frame sounded";
    DestroyWindow(control);
    FreeLibrary(module);
}

#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

class SoundMixer;

// Plays a mixer through waveOut at 44.1 kHz, 16-bit stereo. Finished
// buffers come back to the window as MM_WOM_DONE, and pump() mixes and
// writes them again, never more than the buffers' length ahead of the wall
// clock: a device that takes buffers faster than it plays them (Wine's null
// and file devices do) is fed in real time all the same. No device, or one
// that fails, leaves the output closed; the movie plays on without sound.
class SoundOutput {
public:
    SoundOutput() = default;
    ~SoundOutput() { close(); }
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    bool open(HWND window, SoundMixer& mixer);
    // Stops at once: what the device still holds is dropped.
    void close();
    bool live() const { return device_ != nullptr; }
    void pump();
    // Output frames mixed ahead of the wall clock at most, and at once.
    static constexpr size_t leadFrames();
    static constexpr size_t bufferFrames();

private:
    static constexpr size_t kBuffers = 4;
    static constexpr size_t kBufferFrames = 1323;  // 30 ms

    HWAVEOUT device_ = nullptr;
    SoundMixer* mixer_ = nullptr;
    WAVEHDR headers_[kBuffers] = {};
    std::vector<int16_t> samples_[kBuffers];
    bool queued_[kBuffers] = {};
    DWORD startTick_ = 0;
    uint64_t framesWritten_ = 0;
};

constexpr size_t SoundOutput::leadFrames() { return kBuffers * kBufferFrames; }
constexpr size_t SoundOutput::bufferFrames() { return kBufferFrames; }

#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "player/sound/output_pacing.h"

#include <atomic>
#include <thread>

class SoundMixer;

// Plays a mixer through waveOut at 44.1 kHz, 16-bit stereo, from a thread of
// its own: the device's notifications wake it to refill every buffer that
// came back, as OutputPacing allows, so the drawing's pace never decides the
// sound's. The thread opens the device too, so the first frame does not wait
// for it. No device, one that fails and one that stops returning buffers end
// the output: live() turns false, and the movie plays on without sound.
class SoundOutput {
public:
    SoundOutput() = default;
    ~SoundOutput() { close(); }
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    void open(SoundMixer& mixer);
    // Stops at once: what the device still holds is dropped.
    void close();
    bool live() const { return thread_.joinable() && !ended_; }

private:
    void run(SoundMixer& mixer);

    std::thread thread_;
    HANDLE wake_ = nullptr;
    std::atomic<bool> closing_{false}, ended_{false};
};

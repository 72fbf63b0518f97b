#include "player/tikkoplay/sound_output_win.h"

#include "player/sound/sound_mixer.h"

#include <vector>

namespace {

uint64_t milliseconds() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(count.QuadPart / (frequency.QuadPart / 1000));
}

// The device and its prepared buffers, released in the order waveOut asks.
class WaveDevice {
public:
    bool open(HANDLE wake) {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = SoundMixer::kRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = SoundMixer::kRate * 4;
        if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(wake), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
            device_ = nullptr;
            return false;
        }
        for (size_t i = 0; i < OutputPacing::kBuffers; ++i) {
            samples_[i].assign(OutputPacing::kBufferFrames * 2, 0);
            headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
            headers_[i].dwBufferLength = static_cast<DWORD>(OutputPacing::kBufferFrames * 4);
            if (waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
        }
        return true;
    }

    ~WaveDevice() {
        if (!device_) return;
        waveOutReset(device_);
        for (WAVEHDR& header : headers_)
            if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &header, sizeof(WAVEHDR));
        waveOutClose(device_);
    }

    // Takes back the buffers the device has played; returns how many.
    size_t takeBack() {
        size_t back = 0;
        for (size_t i = 0; i < OutputPacing::kBuffers; ++i)
            if (queued_[i] && (headers_[i].dwFlags & WHDR_DONE)) queued_[i] = false, ++back;
        return back;
    }

    size_t queued() const {
        size_t n = 0;
        for (bool q : queued_) n += q;
        return n;
    }

    // Mixes into a free buffer and queues it.
    bool write(SoundMixer& mixer) {
        for (size_t i = 0; i < OutputPacing::kBuffers; ++i) {
            if (queued_[i]) continue;
            mixer.mix(samples_[i].data(), OutputPacing::kBufferFrames);
            if (waveOutWrite(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
            queued_[i] = true;
            return true;
        }
        return false;
    }

private:
    HWAVEOUT device_ = nullptr;
    WAVEHDR headers_[OutputPacing::kBuffers] = {};
    std::vector<int16_t> samples_[OutputPacing::kBuffers];
    bool queued_[OutputPacing::kBuffers] = {};
};

}  // namespace

void SoundOutput::open(SoundMixer& mixer) {
    close();
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake_) return;
    closing_ = false;
    ended_ = false;
    thread_ = std::thread([this, &mixer] { run(mixer); });
}

void SoundOutput::close() {
    if (thread_.joinable()) {
        closing_ = true;
        SetEvent(wake_);
        thread_.join();
    }
    if (wake_) CloseHandle(wake_);
    wake_ = nullptr;
}

void SoundOutput::run(SoundMixer& mixer) {
    WaveDevice device;
    bool playing = device.open(wake_);
    OutputPacing pacing(milliseconds());
    while (playing && !closing_) {
        uint64_t now = milliseconds();
        for (size_t back = device.takeBack(); back; --back) pacing.returned(now);
        while (playing && pacing.mayWrite(now, device.queued())) {
            playing = device.write(mixer);
            pacing.wrote();
        }
        if (pacing.stalled(now, device.queued())) playing = false;
        if (playing) WaitForSingleObject(wake_, pacing.sleepMs(now, device.queued()));
    }
    ended_ = true;
}

#include "player/tikkoplay/sound_output_win.h"

#include "player/sound/sound_mixer.h"

#include <type_traits>
#include <vector>

namespace {

uint64_t milliseconds() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(count.QuadPart / (frequency.QuadPart / 1000));
}

// winmm.dll, loaded by the output's thread when a movie first sounds:
// loading it starts the system's audio drivers, which would otherwise hold up
// every scene's first frame. Null when it cannot be loaded.
struct WaveOut {
    decltype(&waveOutOpen) open;
    decltype(&waveOutPrepareHeader) prepare;
    decltype(&waveOutUnprepareHeader) unprepare;
    decltype(&waveOutWrite) write;
    decltype(&waveOutReset) reset;
    decltype(&waveOutClose) close;

    static const WaveOut* load() {
        static const WaveOut* loaded = []() -> const WaveOut* {
            static WaveOut api;
            HMODULE winmm = LoadLibraryW(L"winmm.dll");
            if (!winmm) return nullptr;
            auto find = [winmm](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(GetProcAddress(winmm, name));
                return function != nullptr;
            };
            bool found = find(api.open, "waveOutOpen") && find(api.prepare, "waveOutPrepareHeader") &&
                         find(api.unprepare, "waveOutUnprepareHeader") && find(api.write, "waveOutWrite") &&
                         find(api.reset, "waveOutReset") && find(api.close, "waveOutClose");
            return found ? &api : nullptr;
        }();
        return loaded;
    }
};

// The device and its prepared buffers, released in the order waveOut asks.
class WaveDevice {
public:
    bool open(HANDLE wake) {
        api_ = WaveOut::load();
        if (!api_) return false;
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = SoundMixer::kRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = SoundMixer::kRate * 4;
        if (api_->open(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(wake), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
            device_ = nullptr;
            return false;
        }
        for (size_t i = 0; i < OutputPacing::kBuffers; ++i) {
            samples_[i].assign(OutputPacing::kBufferFrames * 2, 0);
            headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
            headers_[i].dwBufferLength = static_cast<DWORD>(OutputPacing::kBufferFrames * 4);
            if (api_->prepare(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
        }
        return true;
    }

    ~WaveDevice() {
        if (!device_) return;
        api_->reset(device_);
        for (WAVEHDR& header : headers_)
            if (header.dwFlags & WHDR_PREPARED) api_->unprepare(device_, &header, sizeof(WAVEHDR));
        api_->close(device_);
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
            if (api_->write(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
            queued_[i] = true;
            return true;
        }
        return false;
    }

private:
    const WaveOut* api_ = nullptr;
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
    // Above the window's thread, as audio threads run: a busy computer must
    // not leave the device without its next buffer.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
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

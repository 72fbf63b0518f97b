#include "player/tikkoplay/sound_output_win.h"

#include "player/sound/sound_mixer.h"

bool SoundOutput::open(HWND window, SoundMixer& mixer) {
    close();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = SoundMixer::kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = SoundMixer::kRate * 4;
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW) !=
        MMSYSERR_NOERROR) {
        device_ = nullptr;
        return false;
    }
    mixer_ = &mixer;
    for (size_t i = 0; i < kBuffers; ++i) {
        samples_[i].assign(kBufferFrames * 2, 0);
        headers_[i] = WAVEHDR{};
        headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
        headers_[i].dwBufferLength = static_cast<DWORD>(kBufferFrames * 4);
        if (waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            close();
            return false;
        }
        queued_[i] = false;
    }
    startTick_ = GetTickCount();
    framesWritten_ = 0;
    pump();
    return live();
}

void SoundOutput::close() {
    if (!device_) return;
    waveOutReset(device_);
    for (WAVEHDR& header : headers_)
        if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &header, sizeof(WAVEHDR));
    waveOutClose(device_);
    device_ = nullptr;
    mixer_ = nullptr;
}

void SoundOutput::pump() {
    if (!device_) return;
    for (size_t i = 0; i < kBuffers; ++i) {
        WAVEHDR& header = headers_[i];
        if (queued_[i] && !(header.dwFlags & WHDR_DONE)) continue;
        uint64_t played = static_cast<uint64_t>(GetTickCount() - startTick_) * SoundMixer::kRate / 1000;
        if (framesWritten_ + kBufferFrames > played + leadFrames()) return;
        mixer_->mix(samples_[i].data(), kBufferFrames);
        if (waveOutWrite(device_, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            close();  // the device failed: the movie goes on without sound
            return;
        }
        queued_[i] = true;
        framesWritten_ += kBufferFrames;
    }
}

#include "player/tikkoplay/movie_control_win.h"

#include "common/exception_barrier.h"
#include "player/player.h"
#include "player/tikkoplay/movie_file_win.h"
#include "player/tikkoplay/sound_output_win.h"
#include "player/tikkoplay/tikkoplay_win.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <memory>

namespace {

constexpr UINT_PTR kFrameTimer = 1, kSoundTimer = 2;

// One control window: the movie, its playback and sound, and the frame it shows.
//
// A new movie's first frame is drawn on a thread of its own while the window
// goes on (a scene's window is shown meanwhile), and its sound device is opened
// only once that frame is painted (or at the first frame tick, if no paint comes
// first): loading the audio drivers competes with the showing for the
// processor. Everything that touches the frame or the playback settles the
// drawing first.
struct MovieControl {
    bool soundOn = true;
    bool soundDue = false;  // a sound waits for its device to be opened
    SoundMixer mixer;
    SoundOutput output;
    std::unique_ptr<MovieSound> sound;
    std::unique_ptr<MoviePlayer> player;  // plays into sound; goes first
    FrameRenderer renderer;
    HBITMAP dib = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    std::future<void> drawing;  // the first frame, being drawn

    ~MovieControl() {
        drawing = {};  // waits for it; a failure there is dropped, as the control goes
        stop();
        if (dib) DeleteObject(dib);
    }

    // Waits for the first frame; a failure there comes out here, on the window's thread.
    void settle() {
        if (drawing.valid()) drawing.get();
    }

    void stop() {
        settle();
        player.reset();
        soundDue = false;
        output.close();
        mixer.clear();
        sound.reset();
    }

    // Plays the movie, with its sound when there is any and sound is on.
    void play(std::shared_ptr<const Movie> movie) {
        if (soundOn && MovieSound::hasSound(*movie)) sound = std::make_unique<MovieSound>(movie, mixer);
        player = std::make_unique<MoviePlayer>(movie, sound.get());
        // A stream sound starts with as much queued as the output takes at once.
        for (int i = 0; sound && i < 16 && sound->framesDue(*player, OutputPacing::leadFrames(), SIZE_MAX) == 2; ++i)
            player->nextFrame();
        soundDue = sound != nullptr;
    }

    void openSoundIfDue() {
        if (!soundDue) return;
        soundDue = false;
        output.open(mixer);
    }

    // One frame tick: the next frame, or as many as keep the main timeline's
    // stream sound fed (up to 8; frames are dropped as the control did), or
    // none while that sound is far enough ahead.
    bool tick() {
        settle();
        openSoundIfDue();
        int due = 1, advanced = 0;
        size_t low = 0, high = 0;
        if (sound && output.live()) {
            float rate = std::max(player->movie().frameRate, 1.0f);
            size_t frameSamples = static_cast<size_t>(SoundMixer::kRate / rate);
            low = OutputPacing::kBufferFrames + frameSamples;
            high = low + 3 * frameSamples;
            due = sound->framesDue(*player, low, high);
        } else if (sound) {
            mixer.clear();  // no device, or it failed: nothing will play what is queued
        }
        if (due > 0) {
            do player->nextFrame();
            while (++advanced < 8 && sound && output.live() && sound->framesDue(*player, low, high) == 2);
        }
        return advanced > 0;
    }

    void resize(int w, int h) {
        settle();
        if (dib) DeleteObject(dib);
        dib = nullptr;
        pixels = nullptr;
        width = std::max(w, 0);
        height = std::max(h, 0);
        if (width == 0 || height == 0) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = dib ? static_cast<uint32_t*>(bits) : nullptr;
        if (!pixels) width = height = 0;
        draw();
    }

    void draw() {
        settle();
        if (!pixels) return;
        GdiFlush();
        drawPixels();
    }

    void drawLater() {
        settle();
        if (!pixels) return;
        GdiFlush();
        drawing = std::async(std::launch::async, [this] { drawPixels(); });
    }

    void drawPixels() {
        if (player) {
            Surface surface{pixels, width, height, width};
            drawCurrentFrame(renderer, *player, surface);
        } else {
            std::fill_n(pixels, static_cast<size_t>(width) * height, 0xFFFFFFFFu);
        }
    }

    void paint(HDC target) {
        settle();
        if (!dib) return;
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ old = SelectObject(source, dib);
        BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
};

MovieControl* controlOf(HWND window) {
    return reinterpret_cast<MovieControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

UINT frameInterval(float frameRate) {
    if (!(frameRate > 0)) frameRate = 12;
    frameRate = std::clamp(frameRate, 1.0f, 120.0f);
    return static_cast<UINT>(std::lround(1000.0f / frameRate));
}

bool putMovie(HWND control, const char* ansiPath) {
    MovieControl* state = controlOf(control);
    if (!state) return false;
    KillTimer(control, kFrameTimer);
    state->stop();
    std::vector<uint8_t> bytes;
    std::optional<Movie> movie;
    if (readMovieFile(ansiPath, bytes)) movie = decodeMovie(bytes.data(), bytes.size());
    if (movie) {
        float rate = movie->frameRate;
        state->play(std::make_shared<const Movie>(std::move(*movie)));
        SetTimer(control, kFrameTimer, frameInterval(rate), nullptr);
    }
    state->drawLater();
    InvalidateRect(control, nullptr, FALSE);
    return state->player != nullptr;
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MovieControl* control = controlOf(window);
    switch (message) {
    case WM_CREATE: {
        control = new MovieControl;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        RECT client;
        GetClientRect(window, &client);
        control->resize(client.right, client.bottom);
        return 0;
    }
    case WM_SIZE:
        if (control) {
            control->resize(LOWORD(lParam), HIWORD(lParam));
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kFrameTimer && control && control->player && control->tick()) {
            control->draw();
            InvalidateRect(window, nullptr, FALSE);
        }
        if (wParam == kSoundTimer) {
            KillTimer(window, kSoundTimer);
            if (control) control->openSoundIfDue();
        }
        return 0;
    case WM_TIKKO_SET_SOUND:
        if (control) {
            control->soundOn = wParam != 0;
            if (!control->soundOn) {
                control->soundDue = false;
                control->output.close();
                control->mixer.clear();
            }
        }
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (control) control->paint(dc);
        EndPaint(window, &ps);
        // The sound's device once this frame is on the screen: the timer comes
        // after the window's thread has gone idle, which is when Wine shows it.
        if (control && control->soundDue) SetTimer(window, kSoundTimer, USER_TIMER_MINIMUM, nullptr);
        return 0;
    }
    case WM_PRINTCLIENT:
        if (control) control->paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_TIKKO_PUT_MOVIE: return putMovie(window, reinterpret_cast<const char*>(lParam)) ? 1 : 0;
    case WM_DESTROY:
        KillTimer(window, kFrameTimer);
        KillTimer(window, kSoundTimer);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete control;
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// No exception leaves the window procedure: running out of memory inside a
// movie (a bitmap inflating towards gigabytes) refuses the movie, and the
// control goes on silent with an empty area.
LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return exceptionBarrier([&] { return handleMessage(window, message, wParam, lParam); }, LRESULT{0},
                            [&] {
                                if (MovieControl* control = controlOf(window)) {
                                    KillTimer(window, kFrameTimer);
                                    KillTimer(window, kSoundTimer);
                                    control->stop();
                                    control->draw();
                                    InvalidateRect(window, nullptr, FALSE);
                                }
                            });
}

}  // namespace

bool registerMovieControlClass(HINSTANCE module) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = controlProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kTikkoPlayerClass;
    return RegisterClassExW(&wc) != 0;
}

void unregisterMovieControlClass(HINSTANCE module) { UnregisterClassW(kTikkoPlayerClass, module); }

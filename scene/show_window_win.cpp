#include "scene/show_window_win.h"

#include <optional>
#include <string>

#include "common/text_win.h"
#include "content/archive_win.h"
#include "content/file_hooks_win.h"
#include "player/tikkoplay/tikkoplay_win.h"
#include "resources/resource_ids.h"
#include "scene/placeholder_name.h"
#include "scene/player_version.h"
#include "scene/player_version_win.h"
#include "scene/scene_script_win.h"
#include "scene/window_keys.h"
#include "scene/window_shape.h"
#include "shell/control_channel_win.h"
#include "shell/data_locations_win.h"
#include "shell/messages_win.h"
#include "ui/dialog_win.h"
#include "ui/suite_icon_win.h"

namespace {

enum Timer : UINT_PTR { kMovieTimer = 1, kPollTimer = 2, kIconTimer = 3 };
constexpr UINT kPollMs = 1000;
constexpr UINT kIconDelayMs = 100;  // Tikko's first frame does not wait for the icons
// A player may open its movie more than once (to look at it, then to load
// it); the placeholder serves that many opens and no other program's.
constexpr unsigned kOpensOfAMovie = 2;

const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Puts the window on top of the topmost band without moving it.
void raiseToTop(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

// The suite's password prompt, if one is open: it must stay reachable above a
// full-screen scene.
HWND passwordPrompt() {
    wchar_t title[64];
    for (UINT id : {IDS_MODULE_CAPTION, IDS_MODULE_NAME_ENGLISH}) {
        loadString(id, title, 64);
        if (HWND prompt = findSuiteWindow(title)) return prompt;
    }
    return nullptr;
}

// The cursor moved to the screen's right edge, halfway down, out of the way.
void moveCursorAway() {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 65535;
    input.mi.dy = 32767;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// The screen a scene may cover: all of it, or what the taskbar leaves.
ScreenArea sceneArea(bool coverTaskbar) {
    RECT area;
    GetWindowRect(GetDesktopWindow(), &area);
    if (!coverTaskbar) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return {area.left, area.top, area.right, area.bottom};
}

// The window's style for its shape: a full-screen scene has no caption or
// border, a maximised one can be sized, any other keeps a fixed frame.
LONG styleFor(WindowShape shape, LONG style) {
    switch (shape) {
    case WindowShape::Fullscreen: return (style & ~(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME)) | DS_MODALFRAME;
    case WindowShape::Maximized: return style | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    default: return (style & ~WS_THICKFRAME) | DS_MODALFRAME;
    }
}

// Whether the scene's window, with its player control, can be created: it
// ends while it starts, unseen.
class SceneWindowProbe : public Dialog {
public:
    SceneWindowProbe() : Dialog(IDD_SCENE) {}

protected:
    bool onInitDialog() override {
        endDialog(0);
        return true;
    }
};

class SceneDialog : public Dialog {
public:
    SceneDialog(std::u16string script, std::u16string commonScript, bool manual)
        : Dialog(IDD_SCENE),
          scriptName_(std::move(script)),
          commonScriptName_(std::move(commonScript)),
          manual_(manual),
          script_(processSceneScript()) {}

    ~SceneDialog() override {
        if (smallIcon_) DestroyIcon(smallIcon_);
        if (largeIcon_) DestroyIcon(largeIcon_);
    }

protected:
    bool onInitDialog() override {
        setTimer(kIconTimer, kIconDelayMs);
        setCaptionForCodePage(hwnd(), IDS_TITLE_COMPUTER, 1251);
        script_.load(commonScriptName_);
        script_.load(scriptName_);
        keys_ = windowKeysOf(script_.document(), &toAnsiCodePage);
        placeWindow();
        if (keys_.mute) setSound(false);
        MoveWindow(item(IDC_MOVIE_PLAYER), 0, 0, clientWidth_, clientHeight_, TRUE);
        installFileHooks();
        hooksInstalled_ = true;
        script_.nextList();
        if (!playMovieStep()) endScene();
        // Sent even when the scene ended above: the module then sees its end first.
        if (!manual_) sendControlCommand(kCommandTikkoStart, 0, nullptr);
        setTimer(kPollTimer, kPollMs);
        return false;  // the focus comes with the showing: focusing a hidden window costs Wine a round of activation
    }

    void onOK() override {}

    void onCancel() override {
        if (keys_.close == CloseAction::Close)
            endScene();
        else if (keys_.close == CloseAction::Minimize)
            ShowWindow(hwnd(), SW_MINIMIZE);
    }

    void onTimer(UINT_PTR id) override {
        if (id == kMovieTimer) advanceScene();
        if (id == kPollTimer) poll();
        if (id == kIconTimer) setIcons();
    }

    bool onMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) override {
        if (message == WM_SIZE) {
            clientWidth_ = LOWORD(lParam);
            clientHeight_ = HIWORD(lParam);
            if (HWND player = item(IDC_MOVIE_PLAYER)) MoveWindow(player, 0, 0, clientWidth_, clientHeight_, TRUE);
        } else if (message == WM_DESTROY && hooksInstalled_) {
            releaseVirtualFiles();
            removeAllHooks();
        }
        return false;
    }

private:
    void setIcons() {
        killTimer(kIconTimer);
        smallIcon_ = loadSuiteIcon(true);
        largeIcon_ = loadSuiteIcon(false);
        SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
        SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }

    // The window's shape, style and place from the script's keys.
    void placeWindow() {
        if (keys_.hideCursor) moveCursorAway();
        const ScreenArea area = sceneArea(keys_.hideTaskbar);
        // The frame is measured with the shape's own style, so that the client
        // area gets exactly the size the shape computes.
        const WindowShape shape = shapeWindow(keys_.screenSize, keys_.originalSize, area, 0, 0).shape;
        const LONG style = styleFor(shape, GetWindowLongW(hwnd(), GWL_STYLE));
        fullscreen_ = shape == WindowShape::Fullscreen;
        SetWindowLongW(hwnd(), GWL_STYLE, style);
        RECT frame{};
        AdjustWindowRectEx(&frame, style, FALSE, GetWindowLongW(hwnd(), GWL_EXSTYLE));
        // One move for the new frame, the place and the topmost band, and no
        // activation while hidden: each costs Wine a round trip to the display.
        const UINT keepHidden = SWP_FRAMECHANGED | SWP_NOACTIVATE;
        if (shape == WindowShape::TemplateSize) {
            SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, keepHidden | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        } else {
            WindowPlacement place = shapeWindow(keys_.screenSize, keys_.originalSize, area, frame.right - frame.left,
                                                frame.bottom - frame.top);
            SetWindowPos(hwnd(), HWND_TOPMOST, place.x, place.y, place.width, place.height, keepHidden);
        }
        RECT client;
        GetClientRect(hwnd(), &client);
        clientWidth_ = client.right;
        clientHeight_ = client.bottom;
        if (shape == WindowShape::Maximized && !keys_.hideTaskbar) ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
    }

    bool playMovieStep() {
        std::optional<MovieStep> step = script_.nextMovie();
        if (!step) return false;
        std::u16string path = u"swf\\" + step->movieName;
        std::wstring placeholder = std::wstring(dataLocations().tempFolder()) +
                                   std::wstring(placeholderName_.begin(), placeholderName_.end()) + L".swf";
        advancePlaceholderName(placeholderName_);

        uint32_t size = 0;
        VfsBuffer movie;
        if (VfsArchive* archive = vfsArchive()) {
            movie = isWideApiAvailable() ? vfsReadFile(archive, asWide(path), &size)
                                         : vfsReadFileA(archive, wideToAnsi(asWide(path)).get(), &size);
        }
        const int delay = movie ? step->durationMs : 0;
        if (!movie) size = 0;
        registerVirtualFile(placeholder.c_str(), std::move(movie), size, true, kOpensOfAMovie);
        if (delay != kNoTimeLimit) setTimer(kMovieTimer, static_cast<UINT>(delay));
        SendMessageW(item(IDC_MOVIE_PLAYER), WM_TIKKO_PUT_MOVIE, 0,
                     reinterpret_cast<LPARAM>(wideToAnsi(placeholder.c_str()).get()));
        return true;
    }

    void advanceScene() {
        killTimer(kMovieTimer);
        while (!playMovieStep()) {
            if (!script_.nextList()) {
                endScene();
                return;
            }
        }
    }

    void poll() {
        if (fullscreen_) {
            raiseToTop(hwnd());
            SetForegroundWindow(hwnd());
            if (HWND prompt = passwordPrompt()) {
                raiseToTop(prompt);
                HWND popup = GetWindow(prompt, GW_ENABLEDPOPUP);
                SetForegroundWindow(popup ? popup : prompt);
            }
        }
        int32_t answer = sendControlCommand(manual_ ? kCommandTestCloseWindow : kCommandTikkoWork, 0, nullptr);
        if (answer > 0) endScene();
    }

    // The sound stops with the scene, before anything else happens.
    void endScene() {
        setSound(false);
        if (!manual_) sendControlCommand(kCommandTikkoComplete, 0, nullptr);
        endDialog(0);
    }

    void setSound(bool on) { SendMessageW(item(IDC_MOVIE_PLAYER), WM_TIKKO_SET_SOUND, on, 0); }

    std::u16string scriptName_, commonScriptName_;
    bool manual_;
    SceneScript script_;
    WindowKeys keys_;
    HICON smallIcon_ = nullptr, largeIcon_ = nullptr;
    int clientWidth_ = 0, clientHeight_ = 0;
    std::string placeholderName_ = kFirstPlaceholderName;
    bool fullscreen_ = false;
    bool hooksInstalled_ = false;
};

}  // namespace

bool canCreateSceneWindow() {
    SceneWindowProbe probe;
    return probe.runModal() != -1;
}

void playScene(const wchar_t* script, const wchar_t* commonScript, bool manual) {
    auto text = [](const wchar_t* s) { return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : u""; };
    SceneDialog dialog(text(script), text(commonScript), manual);
    if (!hasPlayer(kRequiredPlayerVersion) || dialog.runModal() == -1) errorBox(nullptr, IDS_PLAYER_MISSING, true);
}

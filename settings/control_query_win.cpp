#include "settings/control_query_win.h"

#include "content/random.h"
#include "settings/password.h"

namespace {

const char kControlWindowTitle[] = "qz-tolder-ControlModuleWnd";

// A challenge of at least 128, or 0 when the random source keeps failing.
uint32_t drawChallenge() {
    for (int attempt = 0; attempt < 16; ++attempt) {
        uint32_t challenge = randomUInt32(nullptr);
        if (challenge >= 128) return challenge;
    }
    return 0;
}

// The first window with the control module's title that answers the challenge.
HWND findControlWindow() {
    for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, kControlWindowTitle); window;
         window = FindWindowExA(nullptr, window, nullptr, kControlWindowTitle)) {
        uint32_t challenge = drawChallenge();
        if (challenge == 0) return nullptr;
        if (uint32_t(SendMessageA(window, WM_CONTROL_COMMAND, kCommandTestQuery, LPARAM(challenge))) == proof(challenge))
            return window;
    }
    return nullptr;
}

}  // namespace

bool controlModuleAsksToClose() {
    HWND window = findControlWindow();
    return window && SendMessageA(window, WM_CONTROL_COMMAND, kCommandTestCloseWindow, 0) > 0;
}

#include "control/video_title_win.h"

#include <windows.h>

#include <string>

#include "control/video_title.h"

namespace {

constexpr int kTitleBytes = 1024;

std::u16string lowerCasedTitle(HWND window) {
    char title[kTitleBytes] = "";
    if (GetWindowTextA(window, title, kTitleBytes) <= 0 || title[0] == 0) return {};
    CharLowerA(title);
    wchar_t wide[kTitleBytes];
    const int length = MultiByteToWideChar(CP_ACP, 0, title, -1, wide, kTitleBytes);
    if (length <= 1) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(length - 1));
}

}  // namespace

bool isVideoPlaying() {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
        const std::u16string title = lowerCasedTitle(window);
        if (!title.empty() && isVideoTitle(title)) return true;
    }
    return false;
}

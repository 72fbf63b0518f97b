// movie_viewer.exe MOVIE.swf [MILLISECONDS]: shows a movie in the player
// control inside a "Tikko" window, for looking at movies and screenshots under
// Wine. Ends after the given time (default: when closed).
#include <windows.h>
#include <shellapi.h>

#include "player/tikkoplay/tikkoplay_win.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int kControlId = 1024;

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: MoveWindow(GetDlgItem(window, kControlId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE); return 0;
    case WM_TIMER: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2 || !LoadLibraryW(kTikkoPlayerDll)) return 2;
    char path[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, argv[1], -1, path, MAX_PATH, nullptr, nullptr);

    const WNDCLASSW wc{0, frameProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"PalloMovieViewer"};
    RegisterClassW(&wc);
    HWND frame = CreateWindowExW(0, wc.lpszClassName, L"Tikko", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 820, 500,
                                 nullptr, nullptr, instance, nullptr);
    RECT client;
    GetClientRect(frame, &client);
    HWND control = CreateWindowExW(0, kTikkoPlayerClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, client.right,
                                   client.bottom, frame, reinterpret_cast<HMENU>(kControlId), instance, nullptr);
    if (!control || !SendMessageW(control, WM_TIKKO_PUT_MOVIE, 0, reinterpret_cast<LPARAM>(path))) return 1;
    if (argc > 2) SetTimer(frame, 1, static_cast<UINT>(_wtoi(argv[2])), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

// Entry points of tikkoplay.dll.
#include "player/tikkoplay/movie_control_win.h"
#include "player/tikkoplay/tikkoplay_win.h"

extern "C" __declspec(dllexport) int WINAPI TikkoPlayerVersion() { return kTikkoPlayerVersion; }

// Through the window procedure, which lets no exception out.
extern "C" __declspec(dllexport) BOOL WINAPI TikkoPlayerPutMovie(HWND control, const char* ansiPath) {
    return SendMessageW(control, WM_TIKKO_PUT_MOVIE, 0, reinterpret_cast<LPARAM>(ansiPath)) != 0 ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        return registerMovieControlClass(module) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) unregisterMovieControlClass(module);
    return TRUE;
}

// Entry points of tikkoplay.dll.
#include "player/movie_control_win.h"
#include "player/tikkoplay_win.h"

extern "C" __declspec(dllexport) int WINAPI TikkoPlayerVersion() { return kTikkoPlayerVersion; }

extern "C" __declspec(dllexport) BOOL WINAPI TikkoPlayerPutMovie(HWND control, const char* ansiPath) {
    return putMovie(control, ansiPath) ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        return registerMovieControlClass(module) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) unregisterMovieControlClass(module);
    return TRUE;
}

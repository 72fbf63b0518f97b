#include <windows.h>
#include <ole2.h>

#include "app/startup_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);
    runStartup(GetCommandLineA(), systemStartupChecks());
    OleUninitialize();
    return 0;
}

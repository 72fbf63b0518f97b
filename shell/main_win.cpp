#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "shell/startup_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    runStartup(GetCommandLineA(), systemStartupChecks());
    OleUninitialize();
    return 0;
}

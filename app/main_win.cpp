#include <windows.h>
#include <ole2.h>

#include "app/roles.h"
#include "app/startup_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* commandLine = GetCommandLineA();
    const bool ole = needsOle(planDispatch(commandLine ? commandLine : ""));
    if (ole) OleInitialize(nullptr);
    const int exitCode = runStartup(commandLine, systemStartupChecks());
    if (ole) OleUninitialize();
    return exitCode;
}

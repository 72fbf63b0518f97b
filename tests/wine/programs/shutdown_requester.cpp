// Asks Windows to switch off, without force ("/force" on the command line: with force).
#include <windows.h>

#include <cwchar>

#include "control/shutdown_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    requestShutdown(std::wcsstr(commandLine, L"/force") != nullptr);
    return 0;
}

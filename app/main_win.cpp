#include <windows.h>
#include <ole2.h>

#include "app/roles.h"
#include "app/startup_win.h"
#include "common/dll_search_win.h"
#include "common/system_function_win.h"

// Before any static object is built (the data locations load shell32), so
// that, as far as the system allows, no DLL of this process comes from the
// program's or the current folder unless named by its full path.
__attribute__((constructor(101))) static void restrictDllSearchFirst() { restrictDllSearch(); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* commandLine = GetCommandLineA();
    // OLE only for the roles that use it: ole32 and what it loads would hold up every scene's start.
    const auto initialize = needsOle(planDispatch(commandLine ? commandLine : ""))
                                ? systemFunction<decltype(&OleInitialize)>(L"ole32.dll", "OleInitialize")
                                : nullptr;
    const bool ole = initialize && SUCCEEDED(initialize(nullptr));
    const int exitCode = runStartup(commandLine, systemStartupChecks());
    if (ole) systemFunction<decltype(&OleUninitialize)>(L"ole32.dll", "OleUninitialize")();
    return exitCode;
}

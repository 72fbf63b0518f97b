#pragma once
#include <windows.h>

// How the control module is started. An elevated process (the installer, a
// command or settings dialog of qza.exe) must not pass its rights on to the
// module: Windows would then drop the control message that the user's
// ordinary processes send it. Where the desktop's shell runs with fewer rights
// than this process, the shell is asked to start the module, which then runs
// with the shell's rights (and as the shell's user). When the shell cannot be
// asked, the module is started directly only where the shell runs as this
// process's user: a module started as another user (the administrator of an
// elevation prompt in a child's session) would watch the wrong user and keep
// the right one out. Elsewhere the module is started directly.
struct ControlModuleStarter {
    bool (*shellHasFewerRights)();
    // True when the shell window's process runs as this process's user.
    bool (*shellRunsAsThisUser)();
    // Starts the program as the desktop's shell; false when the shell could not be asked.
    bool (*startThroughDesktopShell)(const wchar_t* file, const wchar_t* parameters, const wchar_t* directory);
};

ControlModuleStarter systemControlModuleStarter();

// True when this process is elevated and the shell window's process is not
// (or cannot be inspected); false without a shell window.
bool shellHasFewerRights();
// False without a shell window or where its user cannot be told.
bool shellRunsAsThisUser();
// The shell window's own start (IShellDispatch2::ShellExecute), shown normally.
bool startThroughDesktopShell(const wchar_t* file, const wchar_t* parameters, const wchar_t* directory);

// Starts the control module's executable with "/control" from the current
// directory. 0 when started, 1 when the file does not exist, 2 when it may
// not be started as this process's user and the shell did not start it.
int startControlModule(const ControlModuleStarter& starter = systemControlModuleStarter());

#include "control/shutdown_win.h"

#include <windows.h>

#include "shell/privileges_win.h"

void requestShutdown(bool force) {
    EnabledPrivilege shutdown(SE_SHUTDOWN_NAME);
    ExitWindowsEx(EWX_POWEROFF | (force ? EWX_FORCE : 0), 0);
}

void shutDownFromService(bool force) {
    EnabledPrivilege shutdown(SE_SHUTDOWN_NAME);
    InitiateSystemShutdownExW(nullptr, nullptr, 0, force, FALSE,
                              SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED);
}

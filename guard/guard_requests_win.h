#pragma once
#include <windows.h>

// The guard service's name in the service manager.
constexpr wchar_t kGuardServiceName[] = L"qz-tolder-guard";

// Requests an administrator's process sends the guard. Only administrators
// may send them: the installation leaves ordinary users no right to.
enum GuardRequest : DWORD {
    // The parents are closing the control module of the active console
    // session: the guard leaves that session without a module until a module
    // runs there again, or the session's user logs off or on.
    kGuardParentsClose = 128,
    // The close did not happen (a wrong password): the guard follows the
    // session again.
    kGuardFollowAgain = 129,
};

// Sends the request; false where the guard is not installed or not running,
// or this process may not send it.
bool tellGuard(GuardRequest request);

#pragma once
#include <windows.h>

#include "shell/guard_presence_win.h"

// Requests an administrator's process sends the guard. Only administrators
// may send them: the installation leaves ordinary users no right to. Each
// names the sender's session: its code is the request's plus the session.
enum GuardRequest : DWORD {
    // The parents are closing the control module of the sender's session: the
    // guard leaves that session without a module until a module runs there
    // again, or the session's user logs off or on.
    kGuardParentsClose = 128,
    // The close did not happen (a wrong password): the guard follows the
    // session again.
    kGuardFollowAgain = 192,
};
// Sessions from this one on cannot be named in a request.
constexpr DWORD kGuardRequestSessions = 64;

// Sends the request for this process's session; false where the guard is not
// installed or not running, this process may not send it, or its session
// cannot be named.
bool tellGuard(GuardRequest request);

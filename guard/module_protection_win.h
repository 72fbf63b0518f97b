#pragma once
#include <windows.h>

// How the guard keeps the module it starts out of the child's hands, where
// Windows has integrity levels (Vista on): the module runs as the child, but
// at high integrity, which no program of the child's (medium) may open for
// ending, suspending, writing or debugging, and its process's access rules
// give the child's user, even as its owner, only the right to look at it.

// The module's integrity level: high (S-1-16-12288).
extern const wchar_t kModuleIntegrity[];
// The module's process access rules: the system and administrators may do
// anything; the user who runs it, and any interactive user, may only wait
// for it and ask its name (SYNCHRONIZE, PROCESS_QUERY_LIMITED_INFORMATION).
extern const wchar_t kModuleProcessAccess[];

// A primary token of the token's user raised to the module's integrity;
// null where the system cannot raise it (before Vista), for the caller to
// use the token as it is.
HANDLE raisedToken(HANDLE token);

// The module's access rules as a process's security attributes; release with
// LocalFree(attributes.lpSecurityDescriptor). False where they cannot be made.
bool moduleProcessAttributes(SECURITY_ATTRIBUTES& attributes);

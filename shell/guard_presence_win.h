#pragma once
#include <windows.h>

// The guard service's name in the service manager.
constexpr wchar_t kGuardServiceName[] = L"qz-tolder-guard";

// The running guard service's process; 0 where it is not installed or not
// running. Every user may ask.
DWORD runningGuardProcess();

// Whether the running guard started this process: its parent is the guard's
// process, which no program of a user's can name as a parent.
bool startedByGuard();

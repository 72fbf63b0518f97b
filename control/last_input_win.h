#pragma once
#include <windows.h>

// Tick count of the last keyboard or mouse input: the system's own record from
// Windows 2000 on, the last cursor movement on older systems.
DWORD lastInputTick();

// The cursor fallback alone: the tick count at which the cursor was last seen
// to move (0 until it has moved). Callable directly so that it can be tested.
DWORD lastInputTickByCursor();

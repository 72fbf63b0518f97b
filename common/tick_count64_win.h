#pragma once
#include <windows.h>

// The import entry of GetTickCount64 that each shipped program serves itself
// (tick_count64_win.cpp), under the symbol name of each width's import.
#ifdef _WIN64
#define PALLO_TICK_COUNT64_IMPORT "__imp_GetTickCount64"
#else
#define PALLO_TICK_COUNT64_IMPORT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI* const tickCount64Import)() __asm__(PALLO_TICK_COUNT64_IMPORT);

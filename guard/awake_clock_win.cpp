#include "guard/awake_clock_win.h"

#include <windows.h>

#include "common/system_function_win.h"
#include "control/usage_time.h"

uint64_t awakeUnits() {
    static const auto unbiased =
        systemFunction<BOOL(WINAPI*)(PULONGLONG)>(L"kernel32.dll", "QueryUnbiasedInterruptTime");
    static const auto ticks = systemFunction<ULONGLONG(WINAPI*)()>(L"kernel32.dll", "GetTickCount64");
    ULONGLONG units = 0;
    if (unbiased && unbiased(&units)) return units;
    return (ticks ? ticks() : GetTickCount()) * kUnitsPerMillisecond;
}

#include "guard/awake_clock_win.h"

#include <windows.h>

#include "common/system_function_win.h"

uint64_t awakeUnits() {
    constexpr uint64_t kUnitsPerMs = 10'000;
    static const auto unbiased =
        systemFunction<BOOL(WINAPI*)(PULONGLONG)>(L"kernel32.dll", "QueryUnbiasedInterruptTime");
    static const auto ticks = systemFunction<ULONGLONG(WINAPI*)()>(L"kernel32.dll", "GetTickCount64");
    ULONGLONG units = 0;
    if (unbiased && unbiased(&units)) return units;
    return (ticks ? ticks() : GetTickCount()) * kUnitsPerMs;
}

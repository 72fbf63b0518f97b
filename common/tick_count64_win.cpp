// The toolchain's static threads library imports GetTickCount64, which the
// kernel32 of Windows XP lacks, so a program importing it would not load
// there. Linked into each shipped program, this import entry takes the place
// of kernel32's: it calls the system's function where there is one and
// otherwise counts with GetTickCount, which wraps after 49.7 days.
#include "common/tick_count64_win.h"

namespace {

ULONGLONG WINAPI tickCount64() {
    using Function = ULONGLONG(WINAPI*)();
    static const auto system = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    return system ? system() : GetTickCount();
}

}  // namespace

extern "C" ULONGLONG(WINAPI* const tickCount64Import)() = &tickCount64;

#include <windows.h>

#include <gtest/gtest.h>

#include "common/tick_count64_win.h"

TEST(TickCount64Import, IsTheProgramsOwnAndCountsLikeTheSystem) {
    using Function = ULONGLONG(WINAPI*)();
    const auto system = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    ASSERT_NE(system, nullptr);
    EXPECT_NE(reinterpret_cast<void*>(tickCount64Import), reinterpret_cast<void*>(system));
    const ULONGLONG before = system();
    const ULONGLONG served = tickCount64Import();
    const ULONGLONG after = system();
    EXPECT_LE(before, served);
    EXPECT_LE(served, after);
}

#include <windows.h>

#include <gtest/gtest.h>

// The import entry the shipped programs (and these tests) serve themselves.
extern "C" ULONGLONG(WINAPI* const tickCount64Import)() __asm__("__imp__GetTickCount64@0");

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

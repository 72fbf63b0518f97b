#pragma once
#include <cstdint>

// The time the computer has been awake, in 100 ns units: Windows 7's clock
// that stands still in sleep and hibernation, or before it the tick count,
// which does not (the guard hears of sleep all the same) and on XP wraps
// after 49 days (a look that finds it gone back counts nothing).
uint64_t awakeUnits();

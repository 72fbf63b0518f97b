#pragma once
#include <functional>

// The highest N for which isRegistered(N) holds, trying N = 1, 2, 3, ... and
// stopping 32 tries after the last hit (so 1 to 32 are always tried); 0 when
// none is.
int highestRegisteredVersion(const std::function<bool(int)>& isRegistered);

// The oldest player version that plays the suite's movies.
constexpr int kRequiredPlayerVersion = 7;

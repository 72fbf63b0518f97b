#pragma once
#include <cstdint>

// Whether WTSINFOEX_LEVEL1's SessionFlags, as a system of the version given
// reports them, say the session is locked. The flag is 0 for locked and 1 for
// unlocked, except on Windows 7 and Server 2008 R2 (6.1), whose documented
// defect swaps them; any other value (unknown) is not a lock.
bool sessionFlagsSayLocked(int32_t flags, uint32_t majorVersion, uint32_t minorVersion);

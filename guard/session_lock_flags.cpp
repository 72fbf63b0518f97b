#include "guard/session_lock_flags.h"

namespace {

constexpr int32_t kFlagLocked = 0;    // WTS_SESSIONSTATE_LOCK
constexpr int32_t kFlagUnlocked = 1;  // WTS_SESSIONSTATE_UNLOCK

}  // namespace

bool sessionFlagsSayLocked(int32_t flags, uint32_t majorVersion, uint32_t minorVersion) {
    const bool swapped = majorVersion == 6 && minorVersion == 1;
    return flags == (swapped ? kFlagUnlocked : kFlagLocked);
}

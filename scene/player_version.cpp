#include "scene/player_version.h"

namespace {
constexpr int kMissesAllowed = 32;
}

int highestRegisteredVersion(const std::function<bool(int)>& isRegistered) {
    int highest = 0;
    for (int version = 1, misses = kMissesAllowed; misses > 0; ++version, --misses) {
        if (isRegistered(version)) {
            highest = version;
            misses = kMissesAllowed;
        }
    }
    return highest;
}

#include "scene/player_version.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct Registry {
    std::set<int> present;
    int highestTried = 0;
    bool operator()(int version) {
        highestTried = std::max(highestTried, version);
        return present.count(version) > 0;
    }
};

int scan(Registry& registry) {
    return highestRegisteredVersion([&](int version) { return registry(version); });
}

}  // namespace

// From 1 on, the scan goes on 31 versions past the last it found.
TEST(PlayerVersion, ScanGoesOnThirtyOneAfterTheLastHit) {
    const struct {
        std::set<int> present;
        int found, highestTried;
    } cases[] = {{{}, 0, 32}, {{7, 9}, 9, 40}, {{10, 41}, 41, 72}, {{33}, 0, 32}};
    for (const auto& c : cases) {
        Registry registry{c.present};
        EXPECT_EQ(scan(registry), c.found);
        EXPECT_EQ(registry.highestTried, c.highestTried) << c.found;
    }
}

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

TEST(PlayerVersion, NothingRegisteredTriesOneToThirtyTwo) {
    Registry registry;
    EXPECT_EQ(scan(registry), 0);
    EXPECT_EQ(registry.highestTried, 32);
}

TEST(PlayerVersion, ScanGoesOnThirtyOneAfterTheLastHit) {
    Registry registry{{7, 9}};
    EXPECT_EQ(scan(registry), 9);
    EXPECT_EQ(registry.highestTried, 40);

    Registry gap{{10, 41}};
    EXPECT_EQ(scan(gap), 41);

    Registry tooFar{{33}};
    EXPECT_EQ(scan(tooFar), 0);
}

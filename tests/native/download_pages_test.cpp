#include "scene/download_pages.h"

#include <gtest/gtest.h>

TEST(DownloadPages, OlderSystemsGetTheirOwnPage) {
    EXPECT_EQ(suitePlayerPage(4), PALLO_SUITE_SITE "/dfv/FlashPlayer9x.htm");
    EXPECT_EQ(suitePlayerPage(5), PALLO_SUITE_SITE "/dfv/FlashPlayer.htm");
    EXPECT_EQ(suitePlayerPage(10), PALLO_SUITE_SITE "/dfv/FlashPlayer.htm");
    EXPECT_EQ(vendorPlayerPage(), PALLO_PLAYER_VENDOR_SITE "/ru/flashplayer/");
}

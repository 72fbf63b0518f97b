#include "scene/download_pages.h"

std::string suitePlayerPage(unsigned windowsMajorVersion) {
    return std::string(PALLO_SUITE_SITE) +
           (windowsMajorVersion < 5 ? "/dfv/FlashPlayer9x.htm" : "/dfv/FlashPlayer.htm");
}

std::string vendorPlayerPage() { return std::string(PALLO_PLAYER_VENDOR_SITE) + "/ru/flashplayer/"; }

#include "scene/player_version_win.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

#include "player/tikkoplay/tikkoplay_win.h"
#include "scene/player_version.h"

namespace {

bool registeredControl(int version) {
    char key[64], value[256];
    std::snprintf(key, sizeof key, "ShockwaveFlash.ShockwaveFlash.%d", version);
    DWORD size = sizeof value;
    return SHGetValueA(HKEY_CLASSES_ROOT, key, nullptr, nullptr, value, &size) == ERROR_SUCCESS;
}

int suitePlayerVersion() {
    HMODULE player = LoadLibraryW(kTikkoPlayerDll);
    if (!player) return 0;
    auto version = reinterpret_cast<TikkoPlayerVersionFn>(GetProcAddress(player, "TikkoPlayerVersion"));
    return version ? version() : 0;
}

}  // namespace

bool hasPlayer(int atLeastVersion) {
    static const int suite = suitePlayerVersion();
    if (suite >= atLeastVersion) return true;
    static const int registered = highestRegisteredVersion(&registeredControl);
    return registered >= atLeastVersion;
}

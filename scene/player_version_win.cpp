#include "scene/player_version_win.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cwchar>

#include "player/tikkoplay/tikkoplay_win.h"
#include "scene/player_version.h"

namespace {

bool registeredControl(int version) {
    char key[64], value[256];
    std::snprintf(key, sizeof key, "ShockwaveFlash.ShockwaveFlash.%d", version);
    DWORD size = sizeof value;
    return SHGetValueA(HKEY_CLASSES_ROOT, key, nullptr, nullptr, value, &size) == ERROR_SUCCESS;
}

// From the program's folder by its full path: the DLL search leaves that folder out (common/dll_search_win.h).
HMODULE loadSuitePlayer() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (!slash || (slash - path) + 1 + std::wcslen(kTikkoPlayerDll) >= MAX_PATH) return nullptr;
    std::wcscpy(slash + 1, kTikkoPlayerDll);
    return LoadLibraryW(path);
}

int suitePlayerVersion() {
    HMODULE player = loadSuitePlayer();
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

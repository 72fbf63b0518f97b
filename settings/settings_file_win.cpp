#include "settings/settings_file_win.h"

#include "common/whole_file_win.h"
#include "shell/data_locations_win.h"

void loadSettingsFile(Settings& settings) {
    std::vector<uint8_t> image;
    if (readWholeFile(dataLocations().settingsPath(), image) > 0) settings.load(image);
}

bool saveSettingsFile(const Settings& settings) {
    std::vector<uint8_t> image;
    settings.save(image);
    return writeWholeFile(dataLocations().settingsPath(), image.data(), DWORD(image.size()));
}

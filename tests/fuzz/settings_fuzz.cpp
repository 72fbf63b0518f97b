// Settings::load on arbitrary images; whatever it takes must survive a save
// and a second load unchanged.
#include <cstdlib>
#include <vector>

#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings settings;
    settings.load(std::vector<uint8_t>(data, data + size));
    std::vector<uint8_t> saved;
    settings.save(saved);
    Settings again;
    again.load(saved);
    std::vector<uint8_t> savedAgain;
    again.save(savedAgain);
    if (savedAgain != saved) std::abort();
    return 0;
}

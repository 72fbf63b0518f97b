// randomBytes for the native build, from the kernel's random device.
#include <cstdio>

#include "crypto/random.h"

void randomBytes(void* buffer, size_t length) {
    std::FILE* device = std::fopen("/dev/urandom", "rb");
    if (!device) return;
    size_t got = std::fread(buffer, 1, length, device);
    (void)got;
    std::fclose(device);
}

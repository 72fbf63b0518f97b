#pragma once
#include <cstdint>

extern const uint32_t blowfishInitialP[18];
extern const uint32_t blowfishInitialS[4][256];

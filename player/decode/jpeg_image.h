#pragma once

#include "player/format/swf_movie.h"

#include <cstddef>
#include <cstdint>

// Decodes JPEG data as movies hold it: the tables may come in a tag of their
// own, and stray end- and start-of-image markers may stand before the frame.
// Images of more than maxPixels are refused before anything is allocated.
bool decodeJpeg(const uint8_t* tables, size_t tablesSize, const uint8_t* data, size_t size, uint64_t maxPixels,
                Bitmap& out);

#pragma once

#include <cstdint>
#include <vector>

// Reads a whole movie file through the ordinary file functions. The first
// read starts at offset 0 before any seek, and the size comes from a seek to
// the end, so a redirection that binds a handle on its first read serves the
// whole movie. Files above 64 MB are refused.
bool readMovieFile(const char* ansiPath, std::vector<uint8_t>& bytes);

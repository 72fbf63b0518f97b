#pragma once

#include "tools/moviec/vector_text.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The suite's scene movies. Each is written by its own function from
// Tikko, the props and Russian captions.
struct MovieSource {
    std::string fileName;
    std::function<std::vector<uint8_t>(const VectorFont&)> build;
};

const std::vector<MovieSource>& contentMovies();

#pragma once

// A movie as tools and tests see it: the file's tag codes, the decoded
// model and decodeMovie.
#include "player/format/swf_movie.h"
#include "player/format/swf_tags.h"

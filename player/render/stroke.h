#pragma once

#include "player/format/swf_movie.h"
#include "player/render/coverage_rasterizer.h"
#include "player/render/segment.h"

#include <vector>

// Adds the outline of a stroke along the segments, `halfWidth` pixels to
// each side: a band along each segment, joins where segments meet (round,
// bevelled or mitred; bevelled inside flattened curves, where the turns are
// small) and caps at open ends (round, square or none). Its parts overlap
// and add up; it is swept by the non-zero rule.
void addStrokeOutline(CoverageRasterizer& rasterizer, const std::vector<Segment>& segments, float halfWidth,
                      const LineStyle& style);

#pragma once

#include "player/render/coverage_rasterizer.h"
#include "player/render/draw_list.h"
#include "player/render/masked_sweep.h"

// Paints what the rasteriser holds with a fill style (solid, gradient or
// bitmap) in the item's colour transform and blend mode, seen through the mask.
void paintFill(CoverageRasterizer& rasterizer, const MaskView& mask, const Movie& movie, const FillStyle& style,
               const DrawItem& item, Surface& surface, bool nonZero);

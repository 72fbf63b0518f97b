#include "player/render/paint.h"

#include "player/render/blend_mode.h"
#include "player/render/gradient_table.h"
#include "player/render/paint_sources.h"
#include "player/render/painters.h"
#include "player/render/pixel_math.h"

#include <algorithm>

namespace {

// Paints what the rasteriser holds from the source, blended or over what is below.
template <class Source>
void paintFrom(const Source& source, CoverageRasterizer& rasterizer, const MaskView& mask, Surface& surface,
               BlendMode blend, bool blended, bool nonZero) {
    if (blended) {
        BlendingPainter<Source> painter{surface, source, blend};
        sweepThrough(rasterizer, mask, painter, nonZero);
    } else {
        SourcePainter<Source> painter{surface, source};
        sweepThrough(rasterizer, mask, painter, nonZero);
    }
}

}  // namespace

void paintFill(CoverageRasterizer& rasterizer, const MaskView& mask, const Movie& movie, const FillStyle& style,
               const DrawItem& item, Surface& surface, bool nonZero) {
    const ColorTransform& cx = item.colorTransform;
    bool blended = !paintsOver(item.blend);
    if (style.kind == FillStyle::Kind::Solid) {
        uint32_t color = premultiplied(cx.apply(style.color));
        if (color == 0) {
            rasterizer.discard();
        } else if (blended) {
            BlendingPainter<SolidSource> painter{surface, {color}, item.blend};
            sweepThrough(rasterizer, mask, painter, nonZero);
        } else {
            SolidPainter painter{surface, color};
            sweepThrough(rasterizer, mask, painter, nonZero);
        }
        return;
    }

    Matrix inv;
    const Bitmap* bitmap = nullptr;
    if (style.kind == FillStyle::Kind::Bitmap) {
        const Character* ch = movie.character(style.bitmapId);
        if (ch && ch->kind == Character::Kind::Bitmap) bitmap = &ch->bitmap;
    }
    if (!(item.toDevice * style.matrix).invert(inv) || (style.kind == FillStyle::Kind::Bitmap && !bitmap)) {
        rasterizer.discard();
        return;
    }
    if (bitmap) {
        BitmapSource source{*bitmap, inv, style.repeat, style.smooth, cx.isIdentity() ? nullptr : &cx};
        paintFrom(source, rasterizer, mask, surface, item.blend, blended, nonZero);
        return;
    }
    uint32_t table[kGradientEntries];
    buildGradientTable(style, cx, table);
    using Form = GradientSource::Form;
    Form form = style.kind == FillStyle::Kind::Linear ? Form::Linear : style.focal != 0 ? Form::Focal : Form::Radial;
    GradientSource source{table, inv, form, style.spread, std::clamp(style.focal, -0.998f, 0.998f)};
    paintFrom(source, rasterizer, mask, surface, item.blend, blended, nonZero);
}

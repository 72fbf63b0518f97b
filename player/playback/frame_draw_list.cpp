#include "player/playback/frame_draw_list.h"

#include "player/render/blend_mode.h"

#include <utility>
#include <vector>

namespace {

// Shapes drawn in one frame, masks' shapes included; the rest is left out.
constexpr size_t kMaxDrawItems = 20000;

struct ItemBudget {
    size_t left = kMaxDrawItems;
    bool take() {
        if (left == 0) return false;
        --left;
        return true;
    }
};

// The colour transform that paints a glyph (drawn in fill 1) in its text colour.
ColorTransform glyphColor(const ColorTransform& outer, Rgba color) {
    ColorTransform paint;
    const float channels[4] = {float(color.r), float(color.g), float(color.b), float(color.a)};
    for (int i = 0; i < 4; ++i) {
        paint.mul[i] = 0;
        paint.add[i] = channels[i];
    }
    return outer * paint;
}

// The shapes that draw a character: its own, a morph's at its ratio, or a
// text's box and glyphs, while emit takes them. Sprites and buttons are
// walked by the callers.
template <class Emit>
void characterShapes(const Movie& movie, const Character& ch, const DisplayObject& obj, const Matrix& m, Emit emit) {
    switch (ch.kind) {
    case Character::Kind::Shape: emit(&ch.shape, m, Rgba{}, false); break;
    case Character::Kind::Morph:
        if (obj.morphed) emit(obj.morphed.get(), m, Rgba{}, false);
        break;
    case Character::Kind::Text: {
        Matrix tm = m * ch.text.matrix;
        if (ch.text.box) emit(&*ch.text.box, m, Rgba{}, false);
        for (const TextGlyph& g : ch.text.glyphs) {
            const Character* font = movie.character(g.fontId);
            if (!font || font->kind != Character::Kind::Font || g.glyph >= font->font.glyphs.size()) continue;
            float s = g.height / font->font.emSize;
            if (!emit(&font->font.glyphs[g.glyph], tm * Matrix{s, 0, 0, s, g.x, g.y}, g.color, true)) break;
        }
        break;
    }
    default: break;
    }
}

bool hasTimeline(const Character& ch) {
    return ch.kind == Character::Kind::Sprite || ch.kind == Character::Kind::Button;
}

void collectMaskShapes(const Movie& movie, const TimelineState& timeline, const Matrix& m, MaskItem& mask,
                       ItemBudget& budget) {
    for (const auto& entry : timeline.objects()) {
        const DisplayObject& obj = *entry.second;
        const Character* ch = movie.character(obj.characterId);
        if (!ch || obj.clipDepth) continue;
        Matrix om = m * obj.matrix;
        if (hasTimeline(*ch)) {
            if (obj.sprite) collectMaskShapes(movie, *obj.sprite, om, mask, budget);
            continue;
        }
        characterShapes(movie, *ch, obj, om, [&](const Shape* s, const Matrix& sm, Rgba, bool) {
            if (!budget.take()) return false;
            mask.shapes.push_back({s, sm});
            return true;
        });
    }
}

// Blend modes that need the object drawn alone into a layer of its own
// (alpha, erase) are not drawn; the others blend each of its shapes.
bool drawnBlend(BlendMode mode) { return mode != BlendMode::Alpha && mode != BlendMode::Erase; }

// An object whose own mode paints over takes the mode of the sprite it is in.
BlendMode effectiveBlend(BlendMode own, BlendMode outer) { return paintsOver(own) ? outer : own; }

// Walks one timeline back to front. A mask at depth d covers the objects
// above it up to its clip depth, and everything they contain.
void collect(const Movie& movie, const TimelineState& timeline, const Matrix& m, const ColorTransform& cx,
             int outerMask, BlendMode outerBlend, DrawList& out, ItemBudget& budget) {
    std::vector<std::pair<uint16_t, int>> masks;  // clip depth, mask index
    for (const auto& entry : timeline.objects()) {
        uint16_t depth = entry.first;
        const DisplayObject& obj = *entry.second;
        while (!masks.empty() && masks.back().first < depth) masks.pop_back();
        int mask = masks.empty() ? outerMask : masks.back().second;
        const Character* ch = movie.character(obj.characterId);
        if (!ch) continue;
        Matrix om = m * obj.matrix;
        if (obj.clipDepth) {
            if (obj.clipDepth <= depth) continue;
            MaskItem item;
            item.parent = mask;
            if (hasTimeline(*ch)) {
                if (obj.sprite) collectMaskShapes(movie, *obj.sprite, om, item, budget);
            } else {
                characterShapes(movie, *ch, obj, om, [&](const Shape* s, const Matrix& sm, Rgba, bool) {
                    if (!budget.take()) return false;
                    item.shapes.push_back({s, sm});
                    return true;
                });
            }
            out.masks.push_back(std::move(item));
            masks.push_back({obj.clipDepth, static_cast<int>(out.masks.size()) - 1});
            continue;
        }
        BlendMode blend = effectiveBlend(obj.blendMode, outerBlend);
        if (!obj.visible || !drawnBlend(blend)) continue;
        ColorTransform ocx = cx * obj.colorTransform;
        if (hasTimeline(*ch)) {
            if (obj.sprite) collect(movie, *obj.sprite, om, ocx, mask, blend, out, budget);
            continue;
        }
        characterShapes(movie, *ch, obj, om, [&](const Shape* s, const Matrix& sm, Rgba color, bool glyph) {
            if (!budget.take()) return false;
            out.items.push_back({s, sm, glyph ? glyphColor(ocx, color) : ocx, mask, blend});
            return true;
        });
    }
}

}  // namespace

DrawList collectDrawList(const MoviePlayer& player, const Matrix& stageToDevice) {
    DrawList list;
    ItemBudget budget;
    collect(player.movie(), player.root(), stageToDevice, ColorTransform{}, -1, BlendMode::Normal, list, budget);
    return list;
}

void drawCurrentFrame(FrameRenderer& renderer, const MoviePlayer& player, Surface& surface) {
    const Movie& movie = player.movie();
    renderer.render(movie, collectDrawList(player, showAllTransform(movie, surface.width, surface.height)), surface);
}

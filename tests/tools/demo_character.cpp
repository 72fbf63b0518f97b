#include "tests/tools/demo_character.h"

#include "tests/tools/movie_parts.h"
#include "tools/writers/swf_writer.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A turn by the angle, scaled by sx and sy, then moved.
Matrix turned(double angle, double sx = 1, double sy = 1, double tx = 0, double ty = 0) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {static_cast<float>(sx * c), static_cast<float>(sx * s), static_cast<float>(-sy * s),
            static_cast<float>(sy * c), static_cast<float>(tx),     static_cast<float>(ty)};
}

Matrix gradientBox(double x, double y, double w, double h, double angle = 0) {
    return turned(angle, w / 32768.0, h / 32768.0, x + w / 2, y + h / 2);
}

uint16_t scenery(SwfWriter& w) {
    ShapeBuilder s;
    uint32_t sky =
        s.addLinearGradient(gradientBox(0, 0, 16000, 12000, kPi / 2),
                            {{0, {90, 160, 230, 255}}, {200, {200, 230, 255, 255}}, {255, {240, 250, 255, 255}}});
    uint32_t hill = s.addLinearGradient(gradientBox(0, 7000, 16000, 2000, kPi / 2),
                                        {{0, {110, 190, 90, 255}}, {255, {50, 120, 40, 255}}});
    // Sky and hills meet along the hill line, one edge with a fill on each side.
    s.setStyles(0, sky, 0);
    s.moveTo(0, 7400);
    s.lineTo(0, 0);
    s.lineTo(16000, 0);
    s.lineTo(16000, 7300);
    s.setStyles(hill, sky, 0);
    for (int i = 7; i >= 0; --i) s.curveTo(1000 + i * 2000, 6400 + (i % 2) * 1400, i * 2000, i == 0 ? 7400 : 7300);
    s.setStyles(hill, 0, 0);
    s.lineTo(0, 9000);
    s.lineTo(16000, 9000);
    s.lineTo(16000, 7300);
    uint32_t sun =
        s.addRadialGradient(gradientBox(12000, 500, 2400, 2400),
                            {{0, {255, 250, 200, 255}}, {160, {255, 220, 90, 255}}, {255, {255, 220, 90, 0}}});
    s.setStyles(0, sun, 0);
    ellipse(s, 13200, 1700, 1200, 1200);
    return w.defineShape(s, 3);
}

uint16_t body(SwfWriter& w) {
    ShapeBuilder s;
    uint32_t outline = s.addLineStyle(60, {60, 40, 20, 255});
    uint32_t fur =
        s.addRadialGradient(gradientBox(5200, 3400, 5600, 5600),
                            {{0, {250, 200, 120, 255}}, {180, {220, 140, 60, 255}}, {255, {160, 90, 30, 255}}});
    s.setStyles(0, fur, outline);
    ellipse(s, 8000, 6200, 2600, 2300);
    uint32_t belly = s.addRadialGradient(gradientBox(6600, 5200, 2800, 2800),
                                         {{0, {255, 245, 225, 255}}, {255, {245, 215, 170, 255}}});
    s.setStyles(0, belly, 0);
    ellipse(s, 8000, 6600, 1500, 1400);
    // Feet.
    uint32_t dark = s.addSolidFill({140, 80, 30, 255});
    for (int side : {-1, 1}) {
        s.setStyles(0, dark, outline);
        ellipse(s, 8000 + side * 1300, 8400, 900, 400);
    }
    // Fur tufts around the edge, translucent.
    uint32_t tuft = s.addSolidFill({255, 225, 160, 150});
    s.setStyles(0, tuft, 0);
    for (int i = 0; i < 48; ++i) {
        double a = i * 2 * kPi / 48;
        double x = 8000 + 2500 * std::cos(a), y = 6200 + 2200 * std::sin(a);
        double nx = std::cos(a), ny = std::sin(a);
        s.moveTo(std::lround(x - ny * 160), std::lround(y + nx * 160));
        s.curveTo(std::lround(x + nx * 300), std::lround(y + ny * 300), std::lround(x + ny * 160),
                  std::lround(y - nx * 160));
        s.curveTo(std::lround(x - nx * 50), std::lround(y - ny * 50), std::lround(x - ny * 160),
                  std::lround(y + nx * 160));
    }
    return w.defineShape(s, 3);
}

uint16_t head(SwfWriter& w) {
    ShapeBuilder s;
    uint32_t outline = s.addLineStyle(60, {60, 40, 20, 255});
    uint32_t fur =
        s.addRadialGradient(gradientBox(6200, 900, 3600, 3600),
                            {{0, {255, 215, 140, 255}}, {200, {225, 150, 70, 255}}, {255, {170, 100, 40, 255}}});
    // The ears overlap the head, so they get a fill of their own.
    uint32_t earFur = s.addSolidFill({215, 140, 65, 255});
    uint32_t inner = s.addSolidFill({255, 170, 170, 255});
    for (int side : {-1, 1}) {
        s.setStyles(0, earFur, outline);
        s.moveTo(8000 + side * 800, 1900);
        s.curveTo(8000 + side * 1900, 200, 8000 + side * 2100, 1400);
        s.curveTo(8000 + side * 2000, 2300, 8000 + side * 1400, 2500);
        s.lineTo(8000 + side * 800, 1900);
        s.setStyles(0, inner, 0);
        s.moveTo(8000 + side * 1050, 1950);
        s.curveTo(8000 + side * 1800, 800, 8000 + side * 1850, 1500);
        s.curveTo(8000 + side * 1750, 2100, 8000 + side * 1350, 2200);
        s.lineTo(8000 + side * 1050, 1950);
    }
    s.setStyles(0, fur, outline);
    ellipse(s, 8000, 2900, 1900, 1600);
    uint32_t white = s.addSolidFill({255, 255, 255, 255});
    uint32_t iris =
        s.addRadialGradient(gradientBox(-300, -300, 600, 600), {{0, {40, 120, 60, 255}}, {255, {10, 40, 20, 255}}});
    uint32_t black = s.addSolidFill({20, 15, 10, 255});
    uint32_t shine = s.addSolidFill({255, 255, 255, 200});
    uint32_t thin = s.addLineStyle(30, {40, 30, 20, 255});
    for (int side : {-1, 1}) {
        double ex = 8000 + side * 650;
        s.setStyles(0, white, thin);
        ellipse(s, ex, 2700, 480, 560);
        s.setStyles(0, iris, 0);
        ellipse(s, ex + side * 60, 2800, 300, 330);
        s.setStyles(0, black, 0);
        ellipse(s, ex + side * 60, 2820, 150, 170);
        s.setStyles(0, shine, 0);
        ellipse(s, ex - 60, 2700, 70, 70);
    }
    uint32_t nose =
        s.addRadialGradient(gradientBox(7750, 3150, 500, 400), {{0, {120, 70, 60, 255}}, {255, {40, 20, 15, 255}}});
    s.setStyles(0, nose, 0);
    ellipse(s, 8000, 3350, 260, 190);
    s.setStyles(0, 0, s.addLineStyle(50, {60, 30, 20, 255}));
    s.moveTo(7500, 3750);
    s.curveTo(7750, 4050, 8000, 3750);
    s.curveTo(8250, 4050, 8500, 3750);
    // Whiskers.
    s.setStyles(0, 0, thin);
    for (int side : {-1, 1})
        for (int k = 0; k < 3; ++k) {
            s.moveTo(8000 + side * 500, 3500 + k * 120);
            s.curveTo(8000 + side * 1100, 3350 + k * 200, 8000 + side * 1700, 3300 + k * 280);
        }
    return w.defineShape(s, 3);
}

uint16_t arm(SwfWriter& w) {
    ShapeBuilder s;
    uint32_t outline = s.addLineStyle(60, {60, 40, 20, 255});
    uint32_t fur =
        s.addLinearGradient(gradientBox(-300, 0, 600, 1800), {{0, {230, 160, 80, 255}}, {255, {180, 110, 40, 255}}});
    s.setStyles(0, fur, outline);
    s.moveTo(-280, 0);
    s.curveTo(-400, 900, -250, 1700);
    s.curveTo(0, 2050, 250, 1700);
    s.curveTo(400, 900, 280, 0);
    s.curveTo(0, -200, -280, 0);
    return w.defineShape(s, 3);
}

}  // namespace

std::vector<uint8_t> demoCharacterMovie(bool compressed) {
    SwfWriter w(8, TwipsRect{0, 16000, 0, 9000}, 24.0f);
    w.setBackground({200, 230, 255, 255});
    uint16_t sceneryId = scenery(w), bodyId = body(w), headId = head(w), armId = arm(w);

    // A waving arm: 24 frames swinging back and forth.
    TimelineWriter wave;
    for (int f = 0; f < 24; ++f) {
        const Matrix m = turned(-0.9 - 0.6 * std::sin(f * 2 * kPi / 24));
        f ? wave.move(1, m) : wave.place(1, armId, m);
        wave.showFrame();
    }
    uint16_t waveId = w.defineSprite(wave);

    TimelineWriter& t = w.timeline();
    t.place(1, sceneryId);
    t.place(2, armId, Matrix{0.95f, 0, 0, 0.95f, 5500, 5400});
    t.place(3, bodyId);
    t.place(4, waveId, Matrix{1, 0, 0, 1, 10300, 5000});
    for (int f = 0; f < 48; ++f) {
        // The head bobs and a shadowed copy of the whole figure breathes.
        const Matrix h{1, 0, 0, 1, 0, static_cast<float>(std::lround(80 * std::sin(f * 2 * kPi / 48)))};
        f ? t.move(5, h) : t.place(5, headId, h);
        t.showFrame();
    }
    return w.finish(compressed);
}

#include "tools/moviec/scenery.h"

#include "tools/moviec/drawing.h"

#include <cmath>

namespace {

const Rgba kInk = rgb(0x3a2a1a);

void cloud(Pen& p, double x, double y, double size) {
    p.ellipse(x, y, 34 * size, 16 * size);
    p.ellipse(x - 22 * size, y + 4 * size, 22 * size, 12 * size);
    p.ellipse(x + 24 * size, y + 5 * size, 20 * size, 11 * size);
    p.ellipse(x + 4 * size, y - 10 * size, 20 * size, 14 * size);
}

void flower(ShapeBuilder& s, double x, double y, Rgba petals) {
    Pen p(s);
    uint32_t stem = s.addLineStyle(40, rgb(0x3a8a30));
    p.styles(0, 0, stem);
    p.move(x, y);
    p.curve(x - 2, y + 10, x, y + 20);
    uint32_t petal = s.addSolidFill(petals);
    p.styles(0, petal, 0);
    for (int i = 0; i < 5; ++i) {
        double a = i * 2 * kPi / 5;
        p.ellipse(x + 5 * std::cos(a), y + 5 * std::sin(a), 4, 4);
    }
    uint32_t middle = s.addSolidFill(rgb(0xffd030));
    p.styles(0, middle, 0);
    p.ellipse(x, y, 3, 3);
}

// A five-pointed star of straight edges.
void star(Pen& p, double x, double y, double r) {
    for (int i = 0; i <= 10; ++i) {
        double a = -kPi / 2 + i * kPi / 5, radius = i % 2 ? r * 0.45 : r;
        if (i == 0)
            p.move(x + radius * std::cos(a), y + radius * std::sin(a));
        else
            p.line(x + radius * std::cos(a), y + radius * std::sin(a));
    }
}

}  // namespace

uint16_t defineMeadow(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t sky = s.addLinearGradient(gradientBox(0, 0, 640, 360, kPi / 2),
                                       stops({{0, rgb(0x5aa0e6)}, {190, rgb(0xb8e0ff)}, {255, rgb(0xe8f6ff)}}));
    p.styles(0, sky, 0);
    p.move(0, 0);
    p.line(640, 0);
    p.line(640, 360);
    p.line(0, 360);
    p.line(0, 0);
    uint32_t sun = s.addRadialGradient(gradientBox(490, 10, 120, 120),
                                       stops({{0, rgb(0xfffbe0)}, {150, rgb(0xffdc5a)}, {255, rgb(0xffdc5a, 0)}}));
    p.styles(0, sun, 0);
    p.ellipse(550, 70, 60, 60);
    uint32_t white = s.addSolidFill(rgb(0xffffff, 235));
    p.styles(0, white, 0);
    cloud(p, 110, 70, 1.2);
    cloud(p, 380, 50, 0.9);
    uint32_t farHill =
        s.addLinearGradient(gradientBox(0, 260, 640, 120, kPi / 2), stops({{0, rgb(0x8cc870)}, {255, rgb(0x5a9a48)}}));
    p.styles(0, farHill, 0);
    p.move(0, 300);
    p.curve(120, 230, 260, 290);
    p.curve(380, 330, 470, 270);
    p.curve(560, 220, 640, 280);
    p.line(640, 480);
    p.line(0, 480);
    p.line(0, 300);
    uint32_t grass =
        s.addLinearGradient(gradientBox(0, 340, 640, 140, kPi / 2), stops({{0, rgb(0x7cc04a)}, {255, rgb(0x3e8a2a)}}));
    p.styles(0, grass, 0);
    p.move(0, 360);
    p.curve(200, 330, 400, 350);
    p.curve(540, 362, 640, 345);
    p.line(640, 480);
    p.line(0, 480);
    p.line(0, 360);
    const Rgba colours[] = {rgb(0xff6a8a), rgb(0xffffff), rgb(0xb080ff), rgb(0xffe040)};
    const double spots[][2] = {{40, 400},  {95, 445},  {150, 385}, {520, 395},
                               {575, 440}, {610, 380}, {470, 455}, {30, 460}};
    int i = 0;
    for (const auto& spot : spots) flower(s, spot[0], spot[1], colours[i++ % 4]);
    return w.defineShape(s);
}

uint16_t defineNightRoom(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t wall =
        s.addLinearGradient(gradientBox(0, 0, 640, 400, kPi / 2), stops({{0, rgb(0x1c2450)}, {255, rgb(0x34407a)}}));
    p.styles(0, wall, 0);
    p.move(0, 0);
    p.line(640, 0);
    p.line(640, 400);
    p.line(0, 400);
    p.line(0, 0);
    uint32_t floor =
        s.addLinearGradient(gradientBox(0, 400, 640, 80, kPi / 2), stops({{0, rgb(0x4a3460)}, {255, rgb(0x2a1c3a)}}));
    p.styles(0, floor, 0);
    p.move(0, 400);
    p.line(640, 400);
    p.line(640, 480);
    p.line(0, 480);
    p.line(0, 400);
    // A window with the night sky, the moon and stars.
    uint32_t frame = s.addSolidFill(rgb(0x6a5a8a));
    p.styles(0, frame, 0);
    p.roundedRect(28, 28, 164, 164, 10);
    uint32_t sky =
        s.addLinearGradient(gradientBox(38, 38, 144, 144, kPi / 2), stops({{0, rgb(0x060a28)}, {255, rgb(0x1a2a68)}}));
    p.styles(0, sky, 0);
    p.roundedRect(38, 38, 144, 144, 4);
    uint32_t glow =
        s.addRadialGradient(gradientBox(90, 50, 80, 80), stops({{0, rgb(0xfff4c0, 120)}, {255, rgb(0xfff4c0, 0)}}));
    p.styles(0, glow, 0);
    p.ellipse(130, 90, 40, 40);
    uint32_t moon =
        s.addRadialGradient(gradientBox(112, 72, 36, 36), stops({{0, rgb(0xfffbe6)}, {255, rgb(0xf0dc90)}}));
    p.styles(0, moon, 0);
    p.move(140, 72);
    p.curve(112, 76, 116, 100);
    p.curve(124, 116, 148, 104);
    p.curve(126, 100, 140, 72);
    uint32_t starFill = s.addSolidFill(rgb(0xfff6c0));
    p.styles(0, starFill, 0);
    const double stars[][3] = {{60, 60, 6}, {80, 130, 4}, {160, 150, 5}, {62, 165, 3.5}, {100, 52, 3}};
    for (const auto& st : stars) star(p, st[0], st[1], st[2]);
    uint32_t bar = s.addSolidFill(rgb(0x6a5a8a));
    p.styles(0, bar, 0);
    p.move(106, 38);
    p.line(114, 38);
    p.line(114, 182);
    p.line(106, 182);
    p.line(106, 38);
    p.move(38, 106);
    p.line(182, 106);
    p.line(182, 114);
    p.line(38, 114);
    p.line(38, 106);
    // Stars on the wallpaper, faint.
    uint32_t faint = s.addSolidFill(rgb(0xffffff, 40));
    p.styles(0, faint, 0);
    for (int i = 0; i < 14; ++i) star(p, 240 + (i * 97) % 380, 30 + (i * 53) % 330, 6);
    return w.defineShape(s);
}

uint16_t defineRoom(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t wall =
        s.addLinearGradient(gradientBox(0, 0, 640, 390, kPi / 2), stops({{0, rgb(0xfff0c8)}, {255, rgb(0xf6d89a)}}));
    p.styles(0, wall, 0);
    p.move(0, 0);
    p.line(640, 0);
    p.line(640, 390);
    p.line(0, 390);
    p.line(0, 0);
    uint32_t stripe = s.addSolidFill(rgb(0xf0c870, 90));
    p.styles(0, stripe, 0);
    for (int x = 20; x < 640; x += 64) {
        p.move(x, 0);
        p.line(x + 22, 0);
        p.line(x + 22, 390);
        p.line(x, 390);
        p.line(x, 0);
    }
    uint32_t floor =
        s.addLinearGradient(gradientBox(0, 390, 640, 90, kPi / 2), stops({{0, rgb(0xc88850)}, {255, rgb(0x8a5430)}}));
    p.styles(0, floor, 0);
    p.move(0, 390);
    p.line(640, 390);
    p.line(640, 480);
    p.line(0, 480);
    p.line(0, 390);
    uint32_t board = s.addSolidFill(rgb(0x7a4a28));
    p.styles(0, board, 0);
    p.roundedRect(0, 384, 640, 10, 2);
    // A wall clock.
    uint32_t rim = s.addLineStyle(100, rgb(0x8a5a30));
    uint32_t face = s.addRadialGradient(gradientBox(30, 30, 90, 90), stops({{0, rgb(0xffffff)}, {255, rgb(0xf0e8d8)}}));
    p.styles(0, face, rim);
    p.ellipse(75, 75, 42, 42);
    uint32_t hand = s.addLineStyle(70, kInk);
    p.styles(0, 0, hand);
    p.move(75, 75);
    p.line(75, 46);
    p.move(75, 75);
    p.line(96, 84);
    uint32_t tick = s.addLineStyle(40, kInk);
    p.styles(0, 0, tick);
    for (int i = 0; i < 12; ++i) {
        double a = i * kPi / 6;
        p.move(75 + 34 * std::cos(a), 75 + 34 * std::sin(a));
        p.line(75 + 39 * std::cos(a), 75 + 39 * std::sin(a));
    }
    return w.defineShape(s);
}

uint16_t defineBed(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(50, rgb(0x2a1a10));
    uint32_t wood = s.addLinearGradient(gradientBox(-250, -120, 500, 200, kPi / 2),
                                        stops({{0, rgb(0xb07840)}, {255, rgb(0x70441e)}}));
    p.styles(0, wood, line);
    p.roundedRect(-250, -110, 34, 190, 10);
    p.roundedRect(216, -60, 34, 140, 10);
    p.roundedRect(-230, 10, 460, 40, 6);
    uint32_t mattress = s.addLinearGradient(gradientBox(-220, -10, 440, 30, kPi / 2),
                                            stops({{0, rgb(0xf4f0ff)}, {255, rgb(0xc8c0e8)}}));
    p.styles(0, mattress, line);
    p.roundedRect(-218, -4, 436, 20, 8);
    uint32_t pillow =
        s.addRadialGradient(gradientBox(-190, -40, 130, 50), stops({{0, rgb(0xffffff)}, {255, rgb(0xd8d8f0)}}));
    p.styles(0, pillow, line);
    p.move(-196, -4);
    p.curve(-200, -38, -150, -38);
    p.curve(-84, -40, -74, -10);
    p.curve(-84, 2, -136, 0);
    p.curve(-186, 2, -196, -4);
    return w.defineShape(s);
}

uint16_t defineBlanket(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(50, rgb(0x2a1a40));
    uint32_t cloth = s.addLinearGradient(gradientBox(-150, -60, 300, 120, kPi / 2),
                                         stops({{0, rgb(0x7a8ae8)}, {255, rgb(0x4a52b0)}}));
    p.styles(0, cloth, line);
    p.move(-130, 30);
    p.curve(-140, -40, -90, -52);
    p.curve(0, -70, 90, -46);
    p.curve(150, -30, 150, 30);
    p.line(-130, 30);
    uint32_t dots = s.addSolidFill(rgb(0xfff4a0, 200));
    p.styles(0, dots, 0);
    for (int i = 0; i < 7; ++i) star(p, -100 + i * 36, -20 + (i % 2) * 24, 6);
    return w.defineShape(s);
}

uint16_t defineBubble(SwfWriter& w, const VectorFont& font, const std::string& text, double size, Tail tail) {
    VectorFont::Extent extent = font.measure(text, size);
    double width = extent.width + size * 1.4, height = extent.height + size * 1.0;
    double left = -width / 2, top = -height / 2, radius = std::min(24.0, height / 3);
    ShapeBuilder s;
    Pen p(s);
    uint32_t edge = s.addLineStyle(60, rgb(0x5a4a3a));
    uint32_t paper = s.addLinearGradient(gradientBox(left, top, width, height, kPi / 2),
                                         stops({{0, rgb(0xffffff, 245)}, {255, rgb(0xfff4dc, 245)}}));
    p.styles(0, paper, edge);
    p.move(left + radius, top);
    p.line(left + width - radius, top);
    p.curve(left + width, top, left + width, top + radius);
    p.line(left + width, top + height - radius);
    p.curve(left + width, top + height, left + width - radius, top + height);
    p.line(left + radius, top + height);
    p.curve(left, top + height, left, top + height - radius);
    if (tail == Tail::Left) {
        double y = top + height * 0.75;
        p.line(left, y);
        p.line(left - 40, y + 30);
        p.line(left, y - 22);
    }
    p.line(left, top + radius);
    p.curve(left, top, left + radius, top);
    uint32_t ink = s.addSolidFill(kInk);
    font.draw(s, ink, text, size);
    return w.defineShape(s);
}

uint16_t defineBadge(SwfWriter& w, const VectorFont& font, const std::string& text) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t edge = s.addLineStyle(80, rgb(0xffffff));
    uint32_t fill =
        s.addRadialGradient(gradientBox(-50, -50, 90, 90), stops({{0, rgb(0xffa040)}, {255, rgb(0xe04a20)}}));
    p.styles(0, fill, edge);
    p.ellipse(0, 0, 40, 40);
    uint32_t white = s.addSolidFill(rgb(0xffffff));
    font.draw(s, white, text, 44);
    return w.defineShape(s);
}

uint16_t defineText(SwfWriter& w, const VectorFont& font, const std::string& text, double size, Rgba color) {
    ShapeBuilder s;
    uint32_t fill = s.addSolidFill(color);
    font.draw(s, fill, text, size);
    return w.defineShape(s);
}

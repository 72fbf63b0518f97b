#include "tools/moviec/tikko.h"

#include "tools/moviec/drawing.h"

#include <cmath>

namespace {

const Rgba kOutline = rgb(0x4a3018);
constexpr uint16_t kOutlineWidth = 50;  // twips
constexpr uint16_t kShadowDepth = 4, kTailDepth = 5, kArmLeftDepth = 6, kArmRightDepth = 7, kBodyDepth = 8,
                   kFootLeftDepth = 9, kFootRightDepth = 10, kHeadDepth = 12, kEyesDepth = 13, kMouthDepth = 14;

std::vector<GradientStop> furStops() { return stops({{0, rgb(0xffd990)}, {170, rgb(0xf0a450)}, {255, rgb(0xc07030)}}); }

uint16_t defineShadow(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t fill =
        s.addRadialGradient(gradientBox(-60, -14, 120, 28), stops({{0, rgb(0x203010, 110)}, {255, rgb(0x203010, 0)}}));
    p.styles(0, fill, 0);
    p.ellipse(0, 0, 60, 14);
    return w.defineShape(s);
}

uint16_t defineTail(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(kOutlineWidth, kOutline);
    uint32_t fur =
        s.addLinearGradient(gradientBox(0, -50, 50, 50, kPi / 4), stops({{0, rgb(0xf0a450)}, {255, rgb(0xc07030)}}));
    p.styles(0, fur, line);
    p.move(0, -6);
    p.curve(30, -4, 38, -30);
    p.curve(42, -52, 30, -56);
    p.curve(46, -40, 34, -18);
    p.curve(24, 4, 0, 6);
    p.line(0, -6);
    uint32_t tip = s.addSolidFill(rgb(0xfff0d8));
    p.styles(0, tip, 0);
    p.ellipse(34, -50, 6, 6);
    return w.defineShape(s);
}

// Hangs from the shoulder at the origin along +y.
uint16_t defineArm(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(kOutlineWidth, kOutline);
    uint32_t fur = s.addLinearGradient(gradientBox(-12, 0, 24, 50), stops({{0, rgb(0xf6b060)}, {255, rgb(0xd08038)}}));
    p.styles(0, fur, line);
    p.move(-10, -4);
    p.curve(-13, 20, -11, 42);
    p.curve(0, 58, 11, 42);
    p.curve(13, 20, 10, -4);
    p.curve(0, -12, -10, -4);
    uint32_t paw = s.addSolidFill(rgb(0xfff0d8));
    p.styles(0, paw, line);
    p.ellipse(0, 44, 10, 9);
    return w.defineShape(s);
}

uint16_t defineBody(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(kOutlineWidth, kOutline);
    uint32_t fur = s.addRadialGradient(gradientBox(-80, -75, 140, 140), furStops());
    p.styles(0, fur, line);
    p.ellipse(0, 0, 60, 58);
    uint32_t belly =
        s.addRadialGradient(gradientBox(-45, -40, 80, 80), stops({{0, rgb(0xfffaf0)}, {255, rgb(0xf8dcb0)}}));
    p.styles(0, belly, 0);
    p.ellipse(0, 10, 37, 36);
    return w.defineShape(s);
}

uint16_t defineFoot(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(kOutlineWidth, kOutline);
    uint32_t fill =
        s.addRadialGradient(gradientBox(-30, -18, 50, 30), stops({{0, rgb(0xf0a050)}, {255, rgb(0xa86028)}}));
    p.styles(0, fill, line);
    p.ellipse(0, 0, 25, 12);
    return w.defineShape(s);
}

// The head hangs on the neck at the origin; its centre lies 48 px above.
uint16_t defineHead(SwfWriter& w) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(kOutlineWidth, kOutline);
    uint32_t earFur = s.addSolidFill(rgb(0xe89448));
    uint32_t earInside = s.addSolidFill(rgb(0xffaaa0));
    for (int side : {-1, 1}) {
        p.styles(0, earFur, line);
        p.move(side * 58, -66);
        p.curve(side * 72, -108, side * 56, -126);
        p.curve(side * 34, -114, side * 18, -96);
        p.line(side * 58, -66);
        p.styles(0, earInside, 0);
        p.move(side * 52, -74);
        p.curve(side * 62, -102, side * 54, -114);
        p.curve(side * 40, -106, side * 30, -94);
        p.line(side * 52, -74);
    }
    uint32_t fur = s.addRadialGradient(gradientBox(-80, -115, 140, 130), furStops());
    p.styles(0, fur, line);
    p.ellipse(0, -48, 64, 54);
    uint32_t muzzle =
        s.addRadialGradient(gradientBox(-30, -42, 60, 40), stops({{0, rgb(0xfffaf0)}, {255, rgb(0xfbe2bc)}}));
    p.styles(0, muzzle, 0);
    p.ellipse(0, -24, 28, 18);
    for (int side : {-1, 1}) {
        uint32_t cheek = s.addRadialGradient(gradientBox(side * 44 - 12, -34, 24, 18),
                                             stops({{0, rgb(0xff8080, 140)}, {255, rgb(0xff8080, 0)}}));
        p.styles(0, cheek, 0);
        p.ellipse(side * 44, -25, 12, 9);
    }
    uint32_t nose =
        s.addRadialGradient(gradientBox(-7, -40, 14, 10), stops({{0, rgb(0x9a5a50)}, {255, rgb(0x3a2018)}}));
    p.styles(0, nose, 0);
    p.ellipse(0, -34, 7, 5);
    uint32_t whisker = s.addLineStyle(25, rgb(0x6a4a30));
    p.styles(0, 0, whisker);
    for (int side : {-1, 1})
        for (int k = 0; k < 2; ++k) {
            p.move(side * 26, -28 + k * 7);
            p.curve(side * 44, -32 + k * 9, side * 60, -30 + k * 14);
        }
    return w.defineShape(s);
}

uint16_t defineEyes(SwfWriter& w, Eyes kind) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t thin = s.addLineStyle(35, kOutline);
    uint32_t thick = s.addLineStyle(70, kOutline);
    uint32_t white = s.addSolidFill(rgb(0xffffff));
    uint32_t iris =
        s.addRadialGradient(gradientBox(-12, -12, 24, 24), stops({{0, rgb(0x4aa060)}, {255, rgb(0x1a5030)}}));
    uint32_t pupil = s.addSolidFill(rgb(0x161008));
    uint32_t shine = s.addSolidFill(rgb(0xffffff, 230));
    uint32_t lid = s.addSolidFill(rgb(0xf0a450));
    for (int side : {-1, 1}) {
        double ex = side * 24, ey = -56;
        switch (kind) {
        case Eyes::Open:
        case Eyes::Grumpy:
        case Eyes::Sleepy: {
            p.styles(0, white, thin);
            p.ellipse(ex, ey, 16, 19);
            double pupilSize = kind == Eyes::Grumpy ? 0.75 : 1.0;
            p.styles(0, iris, 0);
            p.ellipse(ex + side * 2, ey + 3, 11 * pupilSize, 12 * pupilSize);
            p.styles(0, pupil, 0);
            p.ellipse(ex + side * 2, ey + 4, 6 * pupilSize, 7 * pupilSize);
            p.styles(0, shine, 0);
            p.ellipse(ex - 3, ey - 2, 3.5, 3.5);
            if (kind == Eyes::Sleepy) {
                // Heavy lids cover the upper half.
                p.styles(0, lid, thin);
                p.move(ex - 17, ey + 1);
                p.curve(ex - 17, ey - 21, ex, ey - 21);
                p.curve(ex + 17, ey - 21, ex + 17, ey + 1);
                p.curve(ex, ey + 5, ex - 17, ey + 1);
            }
            if (kind == Eyes::Grumpy) {
                // Brows pulled down towards the nose.
                p.styles(0, 0, thick);
                p.move(ex + side * 16, ey - 26);
                p.curve(ex, ey - 26, ex - side * 14, ey - 16);
            }
            break;
        }
        case Eyes::Closed:
            p.styles(0, 0, thick);
            p.move(ex - 13, ey);
            p.curve(ex, ey + 11, ex + 13, ey);
            break;
        case Eyes::Happy:
            p.styles(0, 0, thick);
            p.move(ex - 13, ey + 4);
            p.curve(ex, ey - 12, ex + 13, ey + 4);
            break;
        }
    }
    return w.defineShape(s);
}

uint16_t defineMouth(SwfWriter& w, Mouth kind) {
    ShapeBuilder s;
    Pen p(s);
    uint32_t line = s.addLineStyle(45, kOutline);
    uint32_t inside = s.addSolidFill(rgb(0x8a2a28));
    uint32_t tongue = s.addSolidFill(rgb(0xff8a8a));
    switch (kind) {
    case Mouth::Smile:
        p.styles(0, 0, line);
        p.move(-12, -20);
        p.curve(-6, -13, 0, -19);
        p.curve(6, -13, 12, -20);
        break;
    case Mouth::Talk:
        p.styles(0, inside, line);
        p.move(-11, -20);
        p.curve(0, -17, 11, -20);
        p.curve(10, -6, 0, -6);
        p.curve(-10, -6, -11, -20);
        p.styles(0, tongue, 0);
        p.ellipse(0, -10, 6, 3.5);
        break;
    case Mouth::Yawn:
        p.styles(0, inside, line);
        p.ellipse(0, -12, 11, 15);
        p.styles(0, tongue, 0);
        p.ellipse(0, -3, 7, 4.5);
        break;
    case Mouth::Frown:
        p.styles(0, 0, line);
        p.move(-11, -11);
        p.curve(0, -22, 11, -11);
        break;
    case Mouth::Small:
        p.styles(0, inside, line);
        p.ellipse(0, -15, 4, 3.5);
        break;
    }
    return w.defineShape(s);
}

}  // namespace

Tikko::Tikko(SwfWriter& w)
    : shadow_(defineShadow(w)),
      tail_(defineTail(w)),
      arm_(defineArm(w)),
      body_(defineBody(w)),
      foot_(defineFoot(w)),
      head_(defineHead(w)) {
    for (Eyes kind : {Eyes::Open, Eyes::Happy, Eyes::Closed, Eyes::Sleepy, Eyes::Grumpy})
        eyes_[static_cast<int>(kind)] = defineEyes(w, kind);
    for (Mouth kind : {Mouth::Smile, Mouth::Talk, Mouth::Yawn, Mouth::Frown, Mouth::Small})
        mouths_[static_cast<int>(kind)] = defineMouth(w, kind);
}

void Tikko::show(TimelineWriter& t, const Pose& pose) {
    double stretch = 1 + (1 - pose.squash) * 0.5;
    Matrix root = translate(pose.x, pose.ground - pose.jump) * rotate(pose.lean) *
                  scale(pose.size * stretch, pose.size * pose.squash);
    double shadowScale = pose.size * std::max(0.3, 1 - pose.jump / 200);
    Matrix head = root * translate(0, -118 + pose.headLift) * rotate(pose.headTilt);
    struct Part {
        uint16_t depth, id;
        Matrix matrix;
    };
    const Part parts[] = {
        {kShadowDepth, shadow_, translate(pose.x, pose.ground) * scale(shadowScale * pose.spread, shadowScale)},
        {kTailDepth, tail_, root * translate(50, -40) * rotate(pose.tail)},
        {kArmLeftDepth, arm_, root * translate(-46, -96) * rotate(pose.armLeft)},
        {kArmRightDepth, arm_, root * translate(46, -96) * scale(-1, 1) * rotate(pose.armRight)},
        {kBodyDepth, body_, root * translate(0, -68)},
        {kHeadDepth, head_, head},
        {kEyesDepth, eyes_[static_cast<int>(pose.eyes)], head},
        {kMouthDepth, mouths_[static_cast<int>(pose.mouth)], head},
        {kFootLeftDepth, foot_, root * translate(-30 * pose.spread, -10)},
        {kFootRightDepth, foot_,
         root * translate(30 * pose.spread, -10 - pose.rightFootLift) * rotate(-pose.rightFootLift / 40)},
    };
    if (!placed_) {
        for (const Part& part : parts) t.place(part.depth, part.id, part.matrix);
        placed_ = true;
    } else {
        for (const Part& part : parts) {
            std::optional<uint16_t> swap;
            if (part.depth == kEyesDepth && pose.eyes != shownEyes_) swap = part.id;
            if (part.depth == kMouthDepth && pose.mouth != shownMouth_) swap = part.id;
            t.move(part.depth, part.matrix, std::nullopt, swap);
        }
    }
    shownEyes_ = pose.eyes;
    shownMouth_ = pose.mouth;
}

bool blinking(double time) {
    double phase = std::fmod(time, 3.7);
    return phase > 3.5;
}

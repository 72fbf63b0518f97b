#pragma once

#include "tools/writers/swf_writer.h"

#include <cstdint>

// Tikko, the suite's mascot: a round orange fellow with big eyes, built from
// parts (body, head, eyes, mouth, arms, feet, tail) that a pose places.
enum class Eyes { Open, Happy, Closed, Sleepy, Grumpy };
enum class Mouth { Smile, Talk, Yawn, Frown, Small };

// Lengths in stage pixels, angles in radians (positive turns clockwise on
// screen).
struct Pose {
    double x = 320, ground = 440;  // the point between the feet
    double size = 1.3;
    double jump = 0;           // height of the feet above the ground
    double lean = 0;           // the whole figure turns about its feet
    double squash = 1;         // < 1 crouches, > 1 stretches up
    double spread = 1;         // how far apart the feet stand
    double rightFootLift = 0;  // a tapping foot
    double headTilt = 0, headLift = 0;
    double armLeft = 0.35, armRight = 0.35;  // 0 hangs down, pi points up
    double tail = 0;
    Eyes eyes = Eyes::Open;
    Mouth mouth = Mouth::Smile;
};

// Backgrounds go to depth 1 and props behind Tikko to 2 and 3. Depths 4 to
// 14 are Tikko's, 11 lying between his body and his head (a blanket, say).
// Captions and props in front of him go from 15 up.
constexpr uint16_t kDepthBehind = 2;
constexpr uint16_t kDepthBetweenBodyAndHead = 11;
constexpr uint16_t kFirstFreeDepth = 15;

class Tikko {
public:
    explicit Tikko(SwfWriter& writer);
    // Places the parts for one frame: the first call places, later ones move.
    void show(TimelineWriter& timeline, const Pose& pose);

private:
    uint16_t shadow_, tail_, arm_, body_, foot_, head_;
    uint16_t eyes_[5], mouths_[5];
    bool placed_ = false;
    Eyes shownEyes_ = Eyes::Open;
    Mouth shownMouth_ = Mouth::Smile;
};

// True for the few frames of a blink every few seconds.
bool blinking(double time);

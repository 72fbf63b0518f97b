#include "tools/moviec/movies.h"

#include "tools/writers/sound_writer.h"
#include "tools/moviec/cues.h"
#include "tools/moviec/drawing.h"
#include "tools/moviec/scenery.h"
#include "tools/moviec/sounds.h"
#include "tools/moviec/tikko.h"

#include <cmath>
#include <map>

namespace {

// The sprite that plays a movie's sounds.
constexpr uint16_t kSoundDepth = kFirstFreeDepth + 13;

// One movie on the stage: the background at depth 1, Tikko, cues for
// captions; frames are written by a pose function of the time.
class Stage {
public:
    Stage(uint16_t (*background)(SwfWriter&), Rgba backdrop)
        : writer_(8, TwipsRect{0, twips(kStageWidth), 0, twips(kStageHeight)}, kFrameRate) {
        // The drawings overlap their own outlines in places: they fill by the non-zero rule.
        writer_.useNonZeroShapes();
        writer_.setBackground(backdrop);
        uint16_t id = background(writer_);
        tikko_.emplace(writer_);
        writer_.timeline().place(1, id);
    }
    SwfWriter& writer() { return writer_; }
    Cues& cues(uint16_t depth) { return cues_.emplace_back(depth); }
    // A sound effect at a time of the movie's first run.
    Stage& sound(double time, const std::vector<int16_t>& (*effect)()) {
        auto& id = soundIds_[effect];
        if (!id) id = defineSound(writer_, adpcmSound(effect()));
        soundtrack_.add(time, id);
        return *this;
    }

    // Writes seconds worth of frames; extra runs after Tikko each frame.
    std::vector<uint8_t> film(double seconds, const std::function<Pose(double)>& pose,
                              const std::function<void(TimelineWriter&, double)>& extra = nullptr) {
        TimelineWriter& t = writer_.timeline();
        if (uint16_t track = soundtrack_.write(writer_, kFrameRate)) t.place(kSoundDepth, track);
        int frames = static_cast<int>(std::lround(seconds * kFrameRate));
        for (int f = 0; f < frames; ++f) {
            double time = f / kFrameRate;
            tikko_->show(t, pose(time));
            if (extra) extra(t, time);
            for (Cues& c : cues_) c.show(t, time);
            t.showFrame();
        }
        return writer_.finish(true);
    }

private:
    SwfWriter writer_;
    std::optional<Tikko> tikko_;
    std::vector<Cues> cues_;
    Soundtrack soundtrack_;
    std::map<const std::vector<int16_t>& (*)(), uint16_t> soundIds_;
};

constexpr uint16_t kCaptionDepth = kFirstFreeDepth + 10, kBadgeDepth = kFirstFreeDepth + 11,
                   kTitleDepth = kFirstFreeDepth + 12;

// Each effect is synthesised once per run of the tool.
const std::vector<int16_t>& chime() {
    static const auto s = attentionChime();
    return s;
}
const std::vector<int16_t>& knock() {
    static const auto s = countKnock();
    return s;
}
const std::vector<int16_t>& praise() {
    static const auto s = praiseChime();
    return s;
}
const std::vector<int16_t>& yawning() {
    static const auto s = yawn();
    return s;
}
const std::vector<int16_t>& grumbling() {
    static const auto s = grumble();
    return s;
}

// Where a speech bubble sits when Tikko stands left of the middle.
Matrix bubbleSpot(double y = 140) { return translate(440, y); }

// Lips move while a line is new.
Mouth talking(double time, double since, double forSeconds = 1.6) {
    if (time < since || time > since + forSeconds) return Mouth::Smile;
    return std::fmod(time - since, 0.36) < 0.2 ? Mouth::Talk : Mouth::Smile;
}

Eyes blinkOr(double time, Eyes eyes) { return blinking(time) ? Eyes::Closed : eyes; }

// An arm that rises from rest at `from`, waves, and is back at rest at `to`.
double waving(double time, double from, double to) {
    double up = Keyframes(0).hold(from).to(from + 0.5, 1).hold(to - 0.5).to(to, 0).at(time);
    return 0.35 + up * (2.15 + 0.45 * std::sin((time - from) * 2 * kPi / 0.8));
}

std::vector<uint8_t> testMovie(const VectorFont& font) {
    Stage stage(defineMeadow, rgb(0xb8e0ff));
    stage.sound(0, chime);
    uint16_t hello = defineBubble(stage.writer(), font, "Привет!\nВсё работает.", 34, Tail::Left);
    stage.cues(kCaptionDepth).add(0.4, 6.0, hello, bubbleSpot(160));
    return stage.film(6.0, [](double t) {
        Pose p;
        p.x = 190;
        p.armRight = waving(t, 0.0, 5.6);
        p.headTilt = 0.08 * std::sin(t * 2 * kPi / 1.6);
        p.tail = 0.2 * std::sin(t * 2 * kPi / 1.2);
        p.eyes = blinkOr(t, Eyes::Open);
        p.mouth = talking(t, 0.4);
        return p;
    });
}

// Bedtime: Tikko stretches, yawns and says it is time to sleep, then what
// comes next: the first loop announces the shut-down, later loops remind.
std::vector<uint8_t> turnOffMovie(const VectorFont& font, const char* whatComes) {
    Stage stage(defineNightRoom, rgb(0x1c2450));
    stage.sound(0, chime).sound(1.0, yawning);
    auto& w = stage.writer();
    stage.cues(kCaptionDepth)
        .add(3.6, 7.0, defineBubble(w, font, "Ох, как я устал...\nПора спать!", 32, Tail::Left), bubbleSpot())
        .add(7.0, 12.0, defineBubble(w, font, whatComes, 32, Tail::Left), bubbleSpot());
    return stage.film(12.0, [](double t) {
        Pose p;
        p.x = 200;
        p.ground = 450;
        // A big stretch and a yawn, then sleepy talk.
        double stretch = Keyframes(0).to(0.8, 1).hold(2.8).to(3.5, 0).at(t);
        p.armLeft = p.armRight = 0.35 + 2.5 * stretch;
        p.squash = 1 + 0.08 * stretch;
        p.jump = 6 * stretch;
        p.headTilt = -0.12 * stretch + 0.05 * std::sin(t * 2 * kPi / 3);
        p.eyes = t < 3.6 && stretch > 0.3 ? Eyes::Closed : blinkOr(t, Eyes::Sleepy);
        p.mouth = stretch > 0.3 ? Mouth::Yawn : t > 3.6 ? (t < 7 ? talking(t, 3.6) : talking(t, 7.0)) : Mouth::Small;
        p.lean = 0.03 * std::sin(t * 2 * kPi / 4);
        // He rubs an eye once.
        double rub = Keyframes(0).hold(9.0).to(9.4, 1).hold(10.4).to(10.8, 0).at(t);
        if (rub > 0) p.armRight = 0.35 + 2.2 * rub + 0.15 * rub * std::sin(t * 2 * kPi / 0.35);
        if (rub > 0.5) p.eyes = Eyes::Closed;
        return p;
    });
}

std::vector<uint8_t> sleepMovie(const VectorFont& font) {
    Stage stage(defineNightRoom, rgb(0x1c2450));
    stage.sound(0, chime);
    auto& w = stage.writer();
    uint16_t bed = defineBed(w), blanket = defineBlanket(w);
    uint16_t z = defineText(w, font, "z", 40, rgb(0xe8eeff));
    stage.cues(kCaptionDepth)
        .add(0.0, 9.0, defineBubble(w, font, "Время сна.\nКомпьютер скоро\nснова выключится.", 28, Tail::None),
             translate(440, 90), 0);
    TimelineWriter& t = w.timeline();
    t.place(kDepthBehind, bed, translate(360, 370));
    const Matrix cover = translate(390, 342);
    return stage.film(
        9.0,
        [](double time) {
            Pose p;
            // Lying on the bed, head on the pillow, breathing slowly.
            p.lean = -kPi / 2;
            p.x = 428;
            p.ground = 304;
            p.tail = kPi;  // tucked under the blanket
            p.size = 1.05;
            p.squash = 1 + 0.03 * std::sin(time * 2 * kPi / 4.5);
            p.headTilt = 0.25;
            p.armLeft = p.armRight = 0;
            p.eyes = Eyes::Closed;
            p.mouth = Mouth::Small;
            return p;
        },
        [&, placed = false](TimelineWriter& tl, double time) mutable {
            double breath = 1 + 0.02 * std::sin(time * 2 * kPi / 4.5);
            Matrix m = cover * scale(1, breath);
            if (!placed)
                tl.place(kDepthBetweenBodyAndHead, blanket, m);
            else
                tl.move(kDepthBetweenBodyAndHead, m);
            // Three letters rise from the sleeper, each on its own phase.
            for (int i = 0; i < 3; ++i) {
                double u = std::fmod(time / 4.5 + i / 3.0, 1.0);
                double size = 0.5 + 0.7 * u;
                Matrix zm = translate(240 - 30 * u + 12 * std::sin(u * 6), 215 - 120 * u) * scale(size, size);
                ColorTransform fade;
                fade.mul[3] = static_cast<float>(std::min(1.0, std::min(u * 5, (1 - u) * 4)));
                uint16_t depth = kFirstFreeDepth + 1 + i;
                if (!placed)
                    tl.place(depth, z, zm, fade);
                else
                    tl.move(depth, zm, fade);
            }
            placed = true;
        });
}

// An exercise: a title, a spoken start, counted repetitions and praise.
struct Exercise {
    const char* title;
    const char* start;
    int repetitions;
    double period;
    std::function<void(Pose&, double)> move;  // phase 0..1 of one repetition
};

constexpr double kExerciseLead = 3.0, kExerciseTail = 3.0;

std::vector<uint8_t> exerciseMovie(const VectorFont& font, const Exercise& e) {
    Stage stage(defineMeadow, rgb(0xb8e0ff));
    auto& w = stage.writer();
    double moving = e.repetitions * e.period, end = kExerciseLead + moving + kExerciseTail;
    stage.cues(kTitleDepth).add(0, end, defineBubble(w, font, e.title, 26, Tail::None), translate(120, 40), 0);
    stage.cues(kCaptionDepth)
        .add(0.2, kExerciseLead, defineBubble(w, font, e.start, 30, Tail::Left), bubbleSpot(170))
        .add(kExerciseLead + moving, end, defineBubble(w, font, "Отлично!", 34, Tail::Left), bubbleSpot(170));
    Cues& badge = stage.cues(kBadgeDepth);
    stage.sound(0, chime).sound(kExerciseLead + moving, praise);
    for (int r = 0; r < e.repetitions; ++r) {
        double from = kExerciseLead + r * e.period;
        stage.sound(from, knock);
        badge.add(from, from + e.period, defineBadge(w, font, std::to_string(r + 1)), translate(580, 60), 0);
    }
    return stage.film(end, [&](double t) {
        Pose p;
        p.x = 250;
        p.ground = 445;
        p.tail = 0.2 * std::sin(t * 2 * kPi / 1.2);
        p.eyes = blinkOr(t, Eyes::Open);
        if (t < kExerciseLead) {
            p.armRight = waving(t, 0.1, 2.9);
            p.mouth = talking(t, 0.2);
        } else if (t < kExerciseLead + moving) {
            double phase = std::fmod(t - kExerciseLead, e.period) / e.period;
            e.move(p, phase);
            p.mouth = Mouth::Talk;
            if (phase > 0.5) p.mouth = Mouth::Smile;
        } else {
            double u = t - kExerciseLead - moving;
            p.jump = 30 * std::fabs(std::sin(u * kPi / 0.6)) * (u < 1.2);
            p.armLeft = p.armRight = 0.35 + 2.2 * Keyframes(0).to(0.5, 1).hold(1.8).to(2.5, 0).at(u);
            p.eyes = Eyes::Happy;
            p.mouth = Mouth::Talk;
        }
        return p;
    });
}

const Exercise kJumps{"Прыжки", "Прыгаем вместе!\nНоги врозь,\nруки вверх!", 16, 2.0, [](Pose& p, double u) {
                          double open = pulse(u, 1.0);
                          p.spread = 1 + 0.9 * open;
                          p.armLeft = p.armRight = 0.35 + 2.4 * open;
                          p.jump = 36 * std::fabs(std::sin(u * 2 * kPi));
                          p.squash = 1 - 0.06 * (1 - std::fabs(std::sin(u * 2 * kPi)));
                      }};

const Exercise kStretch{"Потягивания", "Тянемся вверх,\nк самому солнцу!", 10, 3.6, [](Pose& p, double u) {
                            double up = pulse(u, 1.0);
                            p.armLeft = p.armRight = 0.35 + 2.75 * up;
                            p.squash = 1 + 0.1 * up;
                            p.jump = 8 * up;
                            p.headTilt = -0.1 * up;
                            if (up > 0.8) p.eyes = Eyes::Happy;
                        }};

const Exercise kSquats{"Приседания", "Приседаем!\nРуки в стороны.", 12, 3.0, [](Pose& p, double u) {
                           double down = pulse(u, 1.0);
                           p.squash = 1 - 0.28 * down;
                           p.spread = 1 + 0.25 * down;
                           p.armLeft = p.armRight = 0.35 + 1.25 * down;
                       }};

const Exercise kBends{"Наклоны", "Наклоны в стороны:\nвлево и вправо!", 12, 3.0, [](Pose& p, double u) {
                          double side = std::sin(u * 2 * kPi);
                          p.lean = 0.32 * side;
                          p.spread = 1 + 0.4 * std::fabs(side);
                          p.armLeft = 0.35 + 2.4 * std::max(0.0, side);
                          p.armRight = 0.35 + 2.4 * std::max(0.0, -side);
                          p.headTilt = 0.1 * side;
                      }};

std::vector<uint8_t> introMovie(const VectorFont& font) {
    Stage stage(defineMeadow, rgb(0xb8e0ff));
    stage.sound(0, chime);
    auto& w = stage.writer();
    stage.cues(kCaptionDepth)
        .add(0.3, 4.5, defineBubble(w, font, "Привет! Я Тикко!", 34, Tail::Left), bubbleSpot())
        .add(4.5, 9.5, defineBubble(w, font, "Время от времени\nмы будем делать\nперерыв и зарядку.", 30, Tail::Left),
             bubbleSpot())
        .add(9.5, 14.0, defineBubble(w, font, "Так глазки отдохнут,\nа ты станешь\nсильнее!", 30, Tail::Left),
             bubbleSpot());
    return stage.film(14.0, [](double t) {
        Pose p;
        p.x = 190;
        p.tail = 0.25 * std::sin(t * 2 * kPi / 1.2);
        p.eyes = blinkOr(t, Eyes::Open);
        double hop = Keyframes(0).hold(0.2).to(0.5, 1).to(0.8, 0).at(t);
        p.jump = 30 * hop;
        p.armRight = waving(t, 0.1, 4.4);
        p.armLeft = 0.35 + 0.9 * Keyframes(0).hold(5.0).to(5.5, 1).hold(8.8).to(9.3, 0).at(t);
        if (t > 9.5)
            p.armLeft = p.armRight = 0.35 + 2.0 * Keyframes(0).hold(10.0).to(10.5, 1).hold(12.5).to(13.2, 0).at(t);
        p.headTilt = 0.08 * std::sin(t * 2 * kPi / 2.2);
        p.mouth = t < 4.5 ? talking(t, 0.3) : t < 9.5 ? talking(t, 4.5, 2.4) : talking(t, 9.5, 2.4);
        if (t > 11.0 && t < 13.0) p.eyes = Eyes::Happy;
        return p;
    });
}

std::vector<uint8_t> doneMovie(const VectorFont& font) {
    Stage stage(defineMeadow, rgb(0xb8e0ff));
    stage.sound(0.3, praise);
    stage.cues(kCaptionDepth)
        .add(0.3, 5.0, defineBubble(stage.writer(), font, "Молодец!\nПерерыв окончен.", 32, Tail::Left),
             bubbleSpot(150));
    return stage.film(5.0, [](double t) {
        Pose p;
        p.x = 190;
        p.jump = t < 2.4 ? 40 * std::fabs(std::sin(t * kPi / 0.6)) : 0;
        p.armLeft = p.armRight = Keyframes(0.35).to(0.5, 2.6).hold(2.4).to(3.0, 0.35).at(t);
        if (t > 3.0) p.armRight = waving(t, 3.0, 5.0);
        p.eyes = t < 2.4 ? Eyes::Happy : blinkOr(t, Eyes::Open);
        p.mouth = t < 2.4 ? Mouth::Talk : Mouth::Smile;
        p.tail = 0.3 * std::sin(t * 2 * kPi / 0.8);
        return p;
    });
}

// Tolder's grumbles: Tikko waits in his room for someone to come back.
std::vector<uint8_t> grumbleMovie(const VectorFont& font, const char* text, int style) {
    Stage stage(defineRoom, rgb(0xfff0c8));
    stage.sound(0.3, grumbling);
    stage.cues(kCaptionDepth).add(0.3, 6.0, defineBubble(stage.writer(), font, text, 36, Tail::Left), bubbleSpot(150));
    return stage.film(6.0, [style](double t) {
        Pose p;
        p.x = 180;
        p.ground = 450;
        p.eyes = blinkOr(t, Eyes::Grumpy);
        p.mouth = std::fmod(t, 0.5) < 0.25 && t > 0.3 && t < 2.5 ? Mouth::Talk : Mouth::Frown;
        p.tail = 0.15 * std::sin(t * 2 * kPi / 0.5);
        switch (style) {
        case 0:  // taps a foot and shakes his head
            p.rightFootLift = 8 * pulse(t, 0.5);
            p.headTilt = 0.12 * std::sin(t * 2 * kPi / 1.0);
            p.armLeft = p.armRight = 0.7;
            break;
        case 1:  // throws his arms up
            p.armLeft = p.armRight = 0.35 + 1.9 * pulse(t, 1.5);
            p.jump = 10 * pulse(t, 1.5);
            p.headTilt = -0.1 * pulse(t, 1.5);
            break;
        default:  // droops, bored, and sighs
            p.squash = 0.94 + 0.03 * std::sin(t * 2 * kPi / 3);
            p.headTilt = 0.22 + 0.05 * std::sin(t * 2 * kPi / 3);
            p.headLift = 4;
            p.armLeft = p.armRight = 0.2;
            p.eyes = blinking(t) ? Eyes::Closed : Eyes::Sleepy;
            break;
        }
        return p;
    });
}

}  // namespace

const std::vector<MovieSource>& contentMovies() {
    static const std::vector<MovieSource> movies{
        {"test.swf", testMovie},
        {"nessel-turnoff.swf",
         [](const VectorFont& f) { return turnOffMovie(f, "Через три минуты\nкомпьютер\nвыключится."); }},
        {"nessel-turnoff-remind.swf",
         [](const VectorFont& f) { return turnOffMovie(f, "Компьютер\nскоро\nвыключится."); }},
        {"nessel-sleep.swf", sleepMovie},
        {"hopsa-intro.swf", introMovie},
        {"hopsa-jumps.swf", [](const VectorFont& f) { return exerciseMovie(f, kJumps); }},
        {"hopsa-stretch.swf", [](const VectorFont& f) { return exerciseMovie(f, kStretch); }},
        {"hopsa-squats.swf", [](const VectorFont& f) { return exerciseMovie(f, kSquats); }},
        {"hopsa-bends.swf", [](const VectorFont& f) { return exerciseMovie(f, kBends); }},
        {"hopsa-done.swf", doneMovie},
        {"tolder-1.swf", [](const VectorFont& f) { return grumbleMovie(f, "Эй! Куда все\nподевались?", 0); }},
        {"tolder-2.swf", [](const VectorFont& f) { return grumbleMovie(f, "Ну сколько\nможно ждать?", 1); }},
        {"tolder-3.swf",
         [](const VectorFont& f) { return grumbleMovie(f, "Скучно мне...\nНикто со мной\nне играет.", 2); }},
    };
    return movies;
}

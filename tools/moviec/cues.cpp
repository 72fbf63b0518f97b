#include "tools/moviec/cues.h"

#include <algorithm>

Cues& Cues::add(double from, double to, uint16_t id, const Matrix& matrix, double fade) {
    cues_.push_back({from, to, id, matrix, fade});
    return *this;
}

void Cues::show(TimelineWriter& t, double time) {
    const Cue* active = nullptr;
    for (const Cue& cue : cues_)
        if (time >= cue.from && time < cue.to) active = &cue;
    if (!active) {
        if (shown_) t.remove(depth_);
        shown_ = 0;
        return;
    }
    double alpha = 1;
    if (active->fade > 0) alpha = std::clamp(std::min(time - active->from, active->to - time) / active->fade, 0.0, 1.0);
    // A fading cue also grows a little into place.
    double grow = 0.9 + 0.1 * alpha;
    Matrix m = active->matrix;
    m.a *= static_cast<float>(grow);
    m.b *= static_cast<float>(grow);
    m.c *= static_cast<float>(grow);
    m.d *= static_cast<float>(grow);
    ColorTransform fade;
    fade.mul[3] = static_cast<float>(alpha);
    if (!shown_)
        t.place(depth_, active->id, m, fade);
    else
        t.move(depth_, m, fade, active->id != shown_ ? std::optional<uint16_t>(active->id) : std::nullopt);
    shown_ = active->id;
}

#pragma once

#include "tools/writers/swf_writer.h"

#include <cstdint>
#include <vector>

// What one depth shows over time: shapes from a start to an end time, each
// fading in and out. Between cues the depth is empty.
class Cues {
public:
    explicit Cues(uint16_t depth) : depth_(depth) {}
    Cues& add(double from, double to, uint16_t id, const Matrix& matrix, double fade = 0.3);
    // Places, swaps, moves or removes the depth's object for this time.
    void show(TimelineWriter& timeline, double time);

private:
    struct Cue {
        double from, to;
        uint16_t id;
        Matrix matrix;
        double fade;
    };
    uint16_t depth_;
    std::vector<Cue> cues_;
    uint16_t shown_ = 0;
};

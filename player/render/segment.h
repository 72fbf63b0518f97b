#pragma once

// A straight piece of a flattened edge, in surface pixels.
struct Segment {
    float x0, y0, x1, y1;
    bool smoothStart = false;  // its start lies inside a flattened curve
};

// Line walks that never hang: a line steps its major axis by 1.0 and its
// minor axis by the slope, and the steps that cannot reach the screen are
// skipped by exact arithmetic instead of being walked one by one.
#pragma once

#include <cstdint>

class Display;

// The double that k repeated `v = v + s` leave in v, bit for bit, in time
// proportional to the binades crossed rather than to k (k <= 0 returns v).
double accumulate(double v, double s, int64_t k);

// One walk: the major coordinate starts at major1 and steps by 1.0 while it
// is <= major2; the minor coordinate starts at minor1 and steps by slope.
// Each step plots (trunc major, trunc minor) through the camera; with
// xMajor the major coordinate is x, otherwise y.
struct LineWalk {
    double major1;
    double minor1;
    double major2;
    double slope;
    bool xMajor;
};

// Walks every step. Only for walks known to be short.
void walkEveryStep(Display& display, const LineWalk& walk, uint32_t colour);

// Plots exactly the pixels walkEveryStep would, but walks only the steps
// that can land on the screen. Where the step-by-step walk would never end
// (a major coordinate so large that adding 1.0 leaves it unchanged), it
// plots the pixels of all its steps, which are finitely many.
void walkVisibleSteps(Display& display, const LineWalk& walk, uint32_t colour);

// Long sides of the solid whose whole points lie far apart, bent inwards at
// whole points by less than a file unit. A stretch of side with no whole
// point can only be one triangle's edge, and past a length every triangle on
// it can vanish while on screen; bent, each part gets triangles of its own.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/shapes/shape_types.h"

struct SideBend {
    IPoint a, b;             // the side as drawn, the solid on its left
    std::vector<IPoint> at;  // the corners added along it, from a to b
    double depth = 0;        // the furthest of them from the side, in file units
    int64_t cut2 = 0;        // twice the area cut off the solid
};

// Bends every side of the polygon, outline or hole, whose whole points lie
// more than `piece` file units apart into parts of at most `piece`, or
// into 16 parts of at most twice that: past an inward corner an edge could
// run on along the side's line, but its next whole point is as far again. A side is left as it is where a bend would touch another
// part of the outline. budget counts the sides that may yet be weighed, and
// is spent. Returns the bends made.
std::vector<SideBend> bendSparseSides(SolidPolygon& polygon, double piece, size_t& budget);

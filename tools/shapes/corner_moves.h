// Short sides lengthened: a side near the thinnest a triangle may be, with
// no room for the triangle it needs, has its inward end moved a whole point
// or two on along its line, into the solid. A few units of length make the
// triangle on it much shallower, so that it fits under the next tread.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/shapes/shape_types.h"

struct CornerMove {
    IPoint a, b;     // the side as drawn: a its outward end, b the inward one
    IPoint to;       // where b now stands
    int64_t cut2 = 0;  // twice the area cut off the solid
};

// Moves the inward end of every side from `shortest` to `longest` file units
// long whose inward end is in `atFault` (sorted; empty: any), to the whole point within
// sqrt(reach2) file units that lengthens it most without
// adding solid or touching another part of the outline. budget counts the
// corners that may yet be weighed, and is spent. Returns the moves made.
std::vector<CornerMove> lengthenShortSides(SolidPolygon& polygon, double shortest, double longest, int64_t reach2,
                                           const std::vector<IPoint>& atFault, size_t& budget);

// Where the curves of two elements meet or cross, their chords cross at
// places the author never chose, leaving sides a few units long that no
// mesh can hold. Such corners, off the author's own, are taken out of the
// solid's outlines where the outline moves by only a few units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/shapes/segments.h"
#include "tools/shapes/shape_types.h"

struct CurveMend {
    IPoint at;     // the corner taken out, or the first of the hole
    int64_t cut2;  // twice the area it cut off the solid (less than 0 where it filled a notch)
    double depth;  // how far the outline moved there, in file units
    bool gap;      // a hole filled, not a corner taken out
    bool straight = false;  // a corner all but in line with its neighbours, not of a short side
};

// How far a mend may go.
struct MendLimits {
    double deepest;   // how far the outline may move at a corner taken out, in file units
    bool lastTry;     // rings may go down to three corners, and cuts touch other polygons
    bool smallHoles;  // holes under 80 across are filled, not only those under 50
    bool pinched;     // so are gaps under 80 pinched off an outline where it touches itself
    bool straighten;  // corners within a point of their neighbours' line are taken out too
    bool operator==(const MendLimits& o) const {
        return deepest == o.deepest && lastTry == o.lastTry && smallHoles == o.smallHoles && pinched == o.pinched &&
               straighten == o.straighten;
    }
};

// Takes out corners of short sides in the polygon's rings that are not in
// `fixed` (sorted: the corners the author drew), while the polygon stays
// simple, and fills holes under 50 world units across with none of those
// corners. The outline moves by at most `deepest` (file units) at each,
// and nothing is cut or filled over a point of `elsewhere` (sorted: the
// corners of the solid's other polygons), nor filled across a side in
// `otherSides`. A ring keeps four corners at least, except at the last try
// (`lastTry`), where it may go down to three and a corner may be cut off
// over a point of `elsewhere` (cutting takes away solid, so another
// polygon can only touch it there); with `smallHoles`, holes under 80
// across are filled, and with `pinched`, so are such gaps pinched off a
// ring where it touches itself; with `straighten`, a corner bent by under
// a point (a kink a cut leaves on a long side) goes whatever its sides'
// length, no two side by side, so the outline moves by under a point
// there. Each corner weighed costs the polygon's size of the budget.
std::vector<CurveMend> mendCurveSides(SolidPolygon& polygon, const std::vector<IPoint>& fixed,
                                      const std::vector<IPoint>& elsewhere, const SideIndex& otherSides,
                                      const MendLimits& limits, size_t& budget);

// How far a mend moves the outline where curves meet, in file units: 25
// world units, as far as the flattening's own joins move it.
constexpr double kMendDeepest = 25 / 1.5;

// Where segments meet, exactly in integers: the tests behind refusing a
// self-crossing outline, checking a cut can see its end, and checking the
// union came out simple.
#pragma once

#include <vector>

#include "tools/shapes/shape_types.h"

inline int sign(__int128 v) { return (v > 0) - (v < 0); }

// Closed segments ab and cd meet; at is a point they share.
bool segmentsMeet(IPoint a, IPoint b, IPoint c, IPoint d, IPoint& at);

// Whether edges of the rings cross, or one's corner lies inside another's
// edge, or two run along each other: anything but touching at corners.
bool ringsCross(const std::vector<Ring>& rings);

// Dividing outline edges at their whole points: so that no triangle has to
// span a long edge, and so that a prop's sides have corners to meet.
#pragma once

#include <cstdint>

#include "tools/shapes/shape_types.h"

// Appends the whole points that divide edge a-b into `parts` about equal
// parts, as near as the edge's whole points allow (none when it has none).
void appendDivisions(IPoint a, IPoint b, int64_t parts, Ring& out);

// Divides each edge at whole points so that no part spans more than about
// a culling box's margin over the half screen, where the edge has whole
// points to divide at.
Ring divided(const Ring& r);

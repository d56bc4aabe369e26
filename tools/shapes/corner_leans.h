// A long side's triangle leaning through a reflex corner: where a side
// with no whole point along it has a reflex corner of the outline within
// 40 of it, its triangle takes its third corner past that corner, on the
// line from the side's end through it, and the rest splits there in two.
#pragma once

#include <vector>

#include "tools/shapes/ear_clip.h"
#include "tools/shapes/shape_types.h"

struct CornerLean {
    MeshTriangle triangle;  // the side's triangle, thick and never vanishing
    Ring first, second;     // the rest of the outline, counter-clockwise
};

// Leans for side a -> b of the counter-clockwise simple ring (the solid on
// its left), through its corner r: from either end of the side, the
// nearest whole point past r that makes the triangle thick and keeps the
// pieces simple. None where r is not reflex or not within 40 of the side.
std::vector<CornerLean> leansThrough(const Ring& ring, size_t side, size_t r);

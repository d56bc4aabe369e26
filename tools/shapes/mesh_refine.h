// Improves a triangulation of the solid: flips shared edges where both
// triangles get thicker, splits triangles that can vanish while on screen
// until none can, and joins pairs whose union is one triangle.
#pragma once

#include <string>
#include <vector>

#include "tools/shapes/ear_clip.h"

// What refineMesh counts, added to: the triangles weighed in moving
// corners, and the circle centres that fell on a shared edge (where onEdges
// would split it).
struct RefineCounts {
    size_t weighed = 0;
    size_t onEdge = 0;
};

// Works in place. Returns "" or what went wrong (too many triangles). With
// splitFlat, a thin triangle whose circle's centre lies outside has its
// longest shared edge split: it mends flat corners of the outline, but can
// cost thin triangles elsewhere. With delaunay, shared edges are first
// flipped to Delaunay and thin triangles get new corners; without, the
// given diagonals stand unless a flip makes both triangles thicker. With
// onEdges, a new corner may also fall on a shared edge (a regular outline's
// circle centres often do), which is then split there.
std::string refineMesh(std::vector<MeshTriangle>& triangles, size_t limit, bool splitFlat, bool delaunay,
                       bool onEdges = false, RefineCounts* counts = nullptr);

// Improves a triangulation of the solid: flips shared edges where both
// triangles get thicker, splits triangles that can vanish while on screen
// until none can, and joins pairs whose union is one triangle.
#pragma once

#include <string>
#include <vector>

#include "tools/shapes/ear_clip.h"

// Works in place. Returns "" or what went wrong (too many triangles). With
// splitFlat, a thin triangle whose circle's centre lies outside has its
// longest shared edge split: it mends flat corners of the outline, but can
// cost thin triangles elsewhere. With delaunay, shared edges are first
// flipped to Delaunay and thin triangles get new corners; without, the
// given diagonals stand unless a flip makes both triangles thicker. With
// weighed, the triangles weighed in moving corners are added to it.
std::string refineMesh(std::vector<MeshTriangle>& triangles, size_t limit, bool splitFlat, bool delaunay,
                       size_t* weighed = nullptr);

// Improves a triangulation of the solid: flips shared edges where both
// triangles get thicker, splits triangles that can vanish while on screen
// until none can, and joins pairs whose union is one triangle.
#pragma once

#include <string>
#include <vector>

#include "tools/shapes/ear_clip.h"

// Works in place. Returns "" or what went wrong (too many triangles).
std::string refineMesh(std::vector<MeshTriangle>& triangles, size_t limit);

// The triangulation of a small simple ring, without new corners, whose
// thinnest triangle is as thick as any triangulation's can be: where ear
// clipping's greedy choice leaves a thin fan, this finds the way round it.
#pragma once

#include <vector>

#include "tools/shapes/ear_clip.h"

// Rings of more corners are left to ear clipping: the search is cubic.
constexpr size_t kMaxThickestCorners = 96;

// Appends the triangles of the counter-clockwise ring to out. False, with
// out unchanged, when the ring is too large, passes through a point twice
// (a bridge to a hole) or has no triangulation (a degenerate outline).
// Without vanishing, triangles that can vanish while on screen weigh as
// much as any (a quicker estimate, for weighing pieces before meshing).
bool triangulateThickest(const Ring& ring, std::vector<MeshTriangle>& out, bool vanishing = true);

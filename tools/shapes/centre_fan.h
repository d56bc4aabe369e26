// A round outline meshed as a fan from a corner added at its middle: any
// triangulation of a convex ring without new corners has ears, which are
// thin where its sides are short for its width.
#pragma once

#include <vector>

#include "tools/shapes/ear_clip.h"

// Rings of more corners are left to the other ways.
constexpr size_t kMaxFanCorners = 64;

// Appends to out the triangles from a whole point near the ring's centre of
// area to each of its sides, where that point sees every side from inside
// and every such triangle is thick and stays on screen; else false, with
// out unchanged. The ring is counter-clockwise.
bool fanFromCentre(const Ring& ring, std::vector<MeshTriangle>& out);

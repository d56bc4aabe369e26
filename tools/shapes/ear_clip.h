// Triangulates one weakly simple counter-clockwise ring by clipping ears,
// thickest first, so that the triangles run across the piece rather than
// along its outline.
#pragma once

#include <vector>

#include "tools/levels/level_bytes.h"
#include "tools/shapes/shape_types.h"

struct MeshTriangle {
    IPoint v[3];  // counter-clockwise under cross
};

// Appends the triangles of the ring to out; false when the ring could not
// be triangulated whole (a degenerate outline), out then holds what could.
bool clipEars(const Ring& ring, std::vector<MeshTriangle>& out);

FileTriangle toFileTriangle(const MeshTriangle& t);
// Thickness in world units, as the level check measures it.
double meshThickness(const MeshTriangle& t);
bool meshCanVanish(const MeshTriangle& t);
// Thinner than the level check allows, or able to vanish while on screen.
bool meshFaulty(const MeshTriangle& t);

// Turns each polygon of the solid into simple pieces ready for meshing:
// holes joined to the outline by bridges, cuts that extend a short edge
// past a reflex corner so that the edge becomes part of a longer one, and
// long edges divided at whole points so that no triangle needs to span one.
#pragma once

#include <vector>

#include "tools/shapes/shape_types.h"

// Counter-clockwise rings (positive area under cross), weakly simple: a
// bridge runs both ways between the same two points.
std::vector<Ring> meshPieces(const SolidPolygon& polygon);

// Twice the signed area of the ring.
__int128 ringArea(const Ring& r);

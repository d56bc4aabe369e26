// Near the thinnest a shape may be (80 units across, a round end of 40),
// rounding to whole points and the flattening's chords leave triangles a
// unit or two short of thick enough. A corner no author drew moved by a
// whole point or two gives them the units they lack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/shapes/segments.h"
#include "tools/shapes/shape_types.h"

struct CornerNudge {
    IPoint from, to;  // where the corner was drawn, and where it now stands
};

// Where the polygon's mesh has a few triangles too thin, moves
// corners of its triangles at fault that are not in `fixed` (sorted: the
// corners the author drew) by at most three whole points, never over a
// point of `elsewhere` (sorted: the other polygons' corners) nor across a
// side in `otherSides` (the other polygons' sides), one move at a
// time while each leaves the polygon's mesh with fewer or shallower
// faults, until it meshes soundly: then the polygon is changed, the moves
// are in `made` (none where it meshed soundly as it was), and the result
// is true. Otherwise it is left as it was. budget counts the triangles that
// may yet be meshed (a few dozen at least a mesh), and is spent.
bool nudgeThinCorners(SolidPolygon& polygon, const std::vector<IPoint>& fixed, const std::vector<IPoint>& elsewhere,
                      const SideIndex& otherSides, size_t& budget, std::vector<CornerNudge>& made);

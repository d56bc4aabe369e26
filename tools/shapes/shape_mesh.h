// Meshes the solid into level triangles: pieces, ears, refinement, in a
// canonical order. The guarantees on thickness are checked by the caller.
#pragma once

#include <string>
#include <vector>

#include "tools/levels/level_bytes.h"
#include "tools/shapes/shape_types.h"

// Triangles covering the polygons exactly, each rotated to start at its
// smallest corner and sorted; owners, when given, gets the polygon each
// came from. Returns "" or what went wrong.
std::string meshSolid(const std::vector<SolidPolygon>& solid, size_t limit, std::vector<FileTriangle>& out,
                      std::vector<size_t>* owners = nullptr);

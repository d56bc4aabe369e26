// Meshes the solid into level triangles: pieces, ears, refinement, in a
// canonical order. The guarantees on thickness are checked by the caller.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "tools/levels/level_bytes.h"
#include "tools/shapes/ear_clip.h"
#include "tools/shapes/shape_types.h"

// The canonical order of the solid's triangles: by their coordinates.
inline bool inMeshOrder(const FileTriangle& a, const FileTriangle& b) {
    return std::lexicographical_compare(a.c, a.c + 6, b.c, b.c + 6);
}

// The mesh as level triangles in the canonical order, each rotated to
// start at its smallest corner; owners, when given, gets from[i] of each.
void canonicalMesh(const std::vector<MeshTriangle>& mesh, const std::vector<size_t>& from, std::vector<FileTriangle>& out,
                   std::vector<size_t>* owners);

// Triangles covering the polygons exactly, each rotated to start at its
// smallest corner and sorted; owners, when given, gets the polygon each
// came from. Returns "" or what went wrong.
std::string meshSolid(const std::vector<SolidPolygon>& solid, size_t limit, std::vector<FileTriangle>& out,
                      std::vector<size_t>* owners = nullptr);

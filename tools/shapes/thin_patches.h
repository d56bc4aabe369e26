// A thin triangle the meshing leaves beside a junction is often only badly
// placed: the few triangles around it, taken together, hold a small simple
// outline that triangulates soundly. Such patches are meshed again alone.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/levels/level_bytes.h"

// Each triangle of the mesh that is thin or can vanish while on screen is
// taken with the triangles touching it along an edge, one ring of them at
// a time, up to a few, and where they make one simple outline whose
// thickest triangulation is sound, they are replaced by it. The cover is
// unchanged, and so is every other triangle; owners[i] is the polygon
// triangle i came from, and follows. The mesh stays in the canonical
// order. `work` bounds the triangle pairs weighed, and is spent. Returns
// how many patches were replaced.
size_t repatchThin(std::vector<FileTriangle>& mesh, std::vector<size_t>& owners, size_t& work);

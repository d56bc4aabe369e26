// Moving the corners inside the solid to where their triangles are
// thickest, never to where one could vanish while on screen.
#pragma once

#include <cstddef>

#include "tools/shapes/mesh_graph.h"

// Moves corner v if that makes its worst triangle better; true when moved.
// Each triangle weighed costs one of the budget.
bool smoothCorner(Mesh& mesh, IPoint v, size_t& budget);

// One sweep over every corner, in point order; true when one moved.
bool smoothCorners(Mesh& mesh, size_t& budget);

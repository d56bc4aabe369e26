// Turns each polygon of the solid into simple pieces ready for meshing:
// holes joined to the outline by bridges, cuts that extend a short edge
// past a reflex corner so that the edge becomes part of a longer one, and
// long edges divided at whole points so that no triangle needs to span one.
#pragma once

#include <vector>

#include "tools/shapes/shape_types.h"

// How short edges at reflex corners are extended into the polygon: not at
// all, straight to the outline where that ends at a whole point, or also
// bent at a whole point inside where it does not, or also ended at a whole
// point inside that a first cut runs through (a step just over 40 world
// units high), or also turns at (turn), or first kept whole as the edge of
// a triangle of its own (lean, else bent, else as turn), its third corner
// maybe past the next edge's end (leanPast). Which meshes best depends on
// the drawing: bent cuts mend short steps where shapes overlap, but cost
// thin pieces where a corner is nearly flat.
enum class Cuts { none, straight, bent, through, turn, lean, leanPast };

// Counter-clockwise rings (positive area under cross), weakly simple: a
// bridge runs both ways between the same two points. With prop, each long
// edge with no whole point to divide at gets a triangle of its own, on a
// corner inside, so that its thin neighbours do not have to span it.
std::vector<Ring> meshPieces(const SolidPolygon& polygon, Cuts cuts, bool prop);

// Other places for the props' corners, to try where the first leaves thin
// triangles: variant v of kPropVariants takes, for each propped edge, one of
// the whole points that keep its triangle on screen, spread over them all.
// The points are found once per edge and kept in the cache.
constexpr size_t kPropVariants = 64;
struct PropCache {
    std::vector<std::pair<std::pair<IPoint, IPoint>, std::vector<IPoint>>> options;  // by edge
    size_t work = 400000;  // points the searches for them may still weigh, for all edges
};
std::vector<Ring> meshPiecesWithProps(const SolidPolygon& polygon, size_t variant, PropCache& cache);

// Whether corner i is reflex with an edge short enough to be cut at: a
// triangle is never thicker than its shortest edge.
bool needsCut(const Ring& r, size_t i);

// Twice the signed area of the ring.
__int128 ringArea(const Ring& r);

// The ring's corners from index `from` round to index `to`, both included.
Ring ringSpan(const Ring& r, size_t from, size_t to);

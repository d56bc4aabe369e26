// Sides of the solid with no whole point along them. Such a side can only be
// one triangle's edge whole, so where every corner that triangle could
// take leaves it thin or able to vanish while on screen, no mesh exists:
// the author must add a corner along the side.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/shapes/shape_types.h"

enum class LoneSide {
    divisible,  // a whole point along it, an end an edge can run past, or short
    fits,       // some triangle on it is thick and never vanishes
    never,      // every triangle on it is thin or can vanish
    unknown     // the search ran out of its budget
};

// Side a -> b of the polygon, which lies on its left under cross, between
// the sides before -> a and b -> after. Only a side whose ends are both
// convex corners can be found `never`: past a reflex end a triangle's edge
// can run on. budget counts points weighed, and is spent.
LoneSide loneSide(const SolidPolygon& polygon, IPoint before, IPoint a, IPoint b, IPoint after, size_t& budget);

// Where the third corner of side a -> b's triangle can stand, in row
// order: up to limit whole points, appended to corners when given, with
// fits when there are any. Unlike loneSide, it takes the side as given (a
// divided part too); divisible only when the side is so short that no
// camera bounds the search.
LoneSide sideCorners(const SolidPolygon& polygon, IPoint a, IPoint b, size_t& budget, size_t limit,
                     std::vector<IPoint>* corners);

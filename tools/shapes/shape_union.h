// The solid: the union of every filled region, each under its own fill rule,
// as polygons with holes in a canonical form (each outline starts at its
// smallest point, polygons and holes sorted), so that the same solid gives
// the same polygons whatever order its regions came in.
#pragma once

#include <vector>

#include "tools/shapes/shape_types.h"

std::vector<SolidPolygon> uniteRegions(const std::vector<SourceRegion>& regions);

// As uniteRegions, but where two regions drawn apart touch or overlap by a
// hair once rounded (within a unit, under three units across), the one
// that loses less is parted from the other by two units, so that they do
// not join at a neck no mesh can hold. `parted` gets the indices of the regions so cut.
std::vector<SolidPolygon> uniteRegionsParted(const std::vector<SourceRegion>& regions, std::vector<size_t>& parted);

// Drops repeated points and points on a straight line between their
// neighbours; a ring with no area left comes back empty.
Ring withoutStraightPoints(const Ring& ring);

// Which corners of a drawing's outlines the author chose: those the
// compile keeps where it mends an outline, and, where shapes meet, those
// that only lie where they do because another shape's outline passes by.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/shapes/shape_types.h"

// The corners the author drew, sorted: every point of the outlines not on
// a curve.
std::vector<IPoint> drawnCorners(const std::vector<SourceRegion>& regions);

// The drawn corners, sorted, less those within 25 world units of another
// outline of the drawing: where two shapes meet, the corners of one a step
// beside the other's side are where the author put the shapes, not
// corners the author shaped. Each corner weighed against a side costs one
// of the budget; when it runs out the corners left are all kept.
std::vector<IPoint> cornersAwayFromOthers(const std::vector<SourceRegion>& regions, size_t& budget);

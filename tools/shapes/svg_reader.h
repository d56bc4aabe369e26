// Reads the filled regions of an SVG drawing: one SVG user unit is one
// world unit, y downwards; curves are flattened and every point rounded to
// whole file units. What a level cannot hold is skipped with a warning.
#pragma once

#include <string>
#include <vector>

#include "tools/shapes/shape_types.h"

// Returns "" or "NAME:LINE: what is wrong"; warnings get one line each.
std::string readSvg(const std::string& bytes, const std::string& name, std::vector<SourceRegion>& regions,
                    std::vector<std::string>& warnings);

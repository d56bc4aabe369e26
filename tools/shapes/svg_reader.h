// Reads the filled regions of an SVG drawing: one SVG user unit is one
// world unit, y downwards; curves are flattened and every point rounded to
// whole file units. What a level cannot hold is skipped with a warning.
#pragma once

#include <string>
#include <vector>

#include "tools/levels/level_bytes.h"
#include "tools/shapes/shape_types.h"
#include "tools/shapes/svg_path.h"

// A polygon of three points marked data-zuno="keep" is a triangle kept as
// it is (as a triangle line of the text form), not joined into the solid.
struct KeptTriangles {
    std::vector<FileTriangle> triangles;
    std::vector<int> lines;
};

// Returns "" or "NAME:LINE: what is wrong"; warnings get one line each.
// Curves are flattened as `flattening` says (see OutlineBuilder), with a
// warning for each element where short sides were joined.
std::string readSvg(const std::string& bytes, const std::string& name, std::vector<SourceRegion>& regions,
                    std::vector<std::string>& warnings, KeptTriangles* kept = nullptr,
                    Flattening flattening = Flattening::first);

// The level's text form with shapes: besides triangle lines, a line
// "shape x0 y0 x1 y1 x2 y2 ..." is a closed outline of any winding, in file
// units. Parsing only; the outlines join into the solid later.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/levels/level_text.h"
#include "tools/shapes/shape_types.h"

struct ShapeText {
    LevelText triangles;                // triangle lines, kept as written
    std::vector<SourceRegion> shapes;   // one outline each
};

// Parses the whole stream. Returns "" on success, or the first fault as
// "NAME:LINE: what is wrong".
std::string parseShapeText(std::istream& in, const std::string& name, ShapeText& out);

// Whether the outline crosses or touches itself away from neighbouring
// edges' shared corners; at is then a point where it does.
bool ringSelfCrosses(const Ring& ring, IPoint& at);

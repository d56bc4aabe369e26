// The level's text form, for writing levels by hand: one triangle a line as
// six integers in file units (x0 y0 x1 y1 x2 y2), "#" comments to the end of
// a line, blank lines allowed. Parsing and formatting only; no file access.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/levels/level_bytes.h"

struct LevelText {
    std::vector<FileTriangle> triangles;
    std::vector<int> lines;  // source line of each triangle, from 1
};

// Parses the whole stream. Returns "" on success, or the first fault as
// "NAME:LINE: what is wrong" (out then holds the triangles before it).
std::string parseLevelText(std::istream& in, const std::string& name, LevelText& out);

// Writes the triangles so that parsing the text gives them back unchanged.
void formatLevelText(const std::vector<FileTriangle>& triangles, std::ostream& out);

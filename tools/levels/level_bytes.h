// Triangles in file units and the level file's bytes that hold them: the
// inverse of the game's loader, for writing and reading levels in the tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/level_file.h"

// One triangle as the file holds it: x0 y0 x1 y1 x2 y2 in file units.
struct FileTriangle {
    int32_t c[6];
};

// The bytes of a level file holding these triangles.
std::string encodeLevel(const std::vector<FileTriangle>& triangles);

// The level's triangles back in file units (exact, since every coordinate
// was an int32 times 1.5); none for a count of zero or below.
std::vector<FileTriangle> fileTriangles(const Level& l);

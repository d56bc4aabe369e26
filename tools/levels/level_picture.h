// A picture of a whole level for its authors: every triangle filled and
// outlined, scaled to fit a given width, with the bike's start pose drawn.
#pragma once

#include <string>
#include <vector>

#include "tools/levels/level_bytes.h"
#include "tools/output/png_file.h"

struct LevelPicture {
    RgbImage image;
    double minX = 0, minY = 0;   // world point at the picture's top-left corner
    double unitsPerPixel = 1;    // world units a pixel spans
};

constexpr int kMaxLevelPictureSide = 8192;

// Draws the triangles (file units, shown in world units = file x 1.5) and the
// start pose into a picture `width` pixels wide, at most 8192 high.
LevelPicture drawLevelPicture(const std::vector<FileTriangle>& triangles, int width);

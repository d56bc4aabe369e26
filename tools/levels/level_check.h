// Checks of a level's geometry beyond what the loader refuses: degenerate and
// too-thin triangles, triangles over the bike's start pose, triangles that
// overlap, and the triangle limit. Used by the level tool and the tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/levels/level_bytes.h"

// Thinnest a triangle may be, in world units, measured as its smallest
// altitude. A ball is pushed out through the edge nearest its centre, so a
// ball whose centre gets past the middle of a triangle leaves through the
// far side. A ball moves a third of its speed per substep; driven flat out,
// the bike peaks at under 50 units per frame on the shipped course. At twice
// that, 105 units per frame or 35 per substep, a wheel (radius 15) ends with
// its centre up to 20 units inside the surface it hits, so a triangle must
// be at least twice that thick for the nearest edge to stay the one it
// came in by.
constexpr double kMinThickness = 40.0;

struct LevelProblem {
    int triangle;      // index of the triangle at fault; -1 for the whole level
    int other;         // the second triangle of an overlap, else -1
    std::string what;  // what is wrong, without the triangle's name
};

struct LevelBounds {
    bool empty = true;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;  // world units
};

// Every problem found, in triangle order: too many triangles, zero area,
// thinner than kMinThickness, able to vanish while on screen, touching the bike's start pose, overlapping
// another triangle (sharing an edge or a corner is fine).
std::vector<LevelProblem> checkLevel(const std::vector<FileTriangle>& triangles);

// The smallest altitude of the triangle, in world units (0 for zero area).
double triangleThickness(const FileTriangle& t);

// Whether the interiors of two triangles of nonzero area meet.
bool trianglesOverlap(const FileTriangle& a, const FileTriangle& b);

// The pairs of triangles that overlap, by index, in order.
std::vector<std::pair<int, int>> overlappingTriangles(const std::vector<FileTriangle>& triangles);

LevelBounds levelBounds(const std::vector<FileTriangle>& triangles);

// "FILE:LINE: triangle N: what" when lines holds the source lines (text
// form), "FILE: triangle N: what" otherwise.
std::string formatProblem(const LevelProblem& p, const std::string& file, const std::vector<int>* lines);

// The whole compile of a level source: the text form with triangle and
// shape lines, or an SVG drawing, to the level's triangles, with messages
// that name the source's lines. Shared by zuno-level and the page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/levels/level_bytes.h"
#include "tools/shapes/svg_path.h"

struct CompiledLevel {
    std::vector<FileTriangle> triangles;  // triangle lines first, as written, then the solid's
    std::vector<int> lines;               // source line of each (a shape's line for its triangles)
    std::vector<std::string> warnings;    // what was skipped or bent, one line each
    int64_t bentArea2 = 0;                // twice the area that bent sides cut off the solid
    Flattening curves = Flattening::first;  // how the drawing's curves were flattened, as readSvg's flattening
    bool mended = false;                  // and corners taken out of the solid where curves of shapes meet
    bool nudged = false;                  // and corners on curves moved a whole point or two
};

// Whether the source is an SVG drawing (by name, else by its first bytes).
bool isSvgSource(const std::string& bytes, const std::string& name);

// Compiles source bytes named name. Returns "" or the messages, one a line,
// each "NAME:LINE: what is wrong". With checked, the solid's triangles must
// be thick enough; the level check proper is the caller's. A drawing so
// refused is tried once more with its curves flattened evenly.
std::string compileLevelSource(const std::string& bytes, const std::string& name, bool checked, CompiledLevel& out);

// compileLevelSource, then with checked the level check of the result, its
// problems named as `zuno-level check` names them. What the tool and the
// page run.
std::string compileLevel(const std::string& bytes, const std::string& name, bool checked, CompiledLevel& out);

// zuno-level: compiles the level's text form to a level file, turns a level
// file back into text, and checks either for the faults the game cannot
// handle well. Exit status 0 ok, 1 problems or bad input, 2 usage error.
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/text_words.h"
#include "tools/levels/level_check.h"
#include "tools/levels/level_render.h"
#include "tools/levels/level_source.h"
#include "tools/output/output_file.h"
#include "tools/shapes/shape_compile.h"

namespace {

const char* const kHelp = R"(usage: zuno-level compile [--no-check] [--watch] SRC OUT.lev
       zuno-level decompile IN.lev
       zuno-level check FILE
       zuno-level render FILE -o OUT.png [--width W]
       zuno-level --help, zuno-level COMMAND --help

compile    Reads the level source SRC (the text form, with shapes, or an
           SVG drawing: SRC ending in ".svg" or starting with "<") and
           writes the level file OUT.lev. OUT.lev is replaced in one step:
           a failed compile leaves it as it was. The level is checked first
           (see check) and not written when a problem is found; --no-check
           skips the geometry checks and meshes shapes however thin, never
           the syntax, range and triangle-count checks. --watch compiles
           again whenever SRC is saved, one line each time, until stopped.
decompile  Writes the text form of IN.lev to standard output (IN.lev is
           read as for check). Compiling
           that text gives IN.lev back (when IN.lev has no bytes after its
           last triangle and a count of 0 or more).
check      Reports the level's triangle count, its bounds in world units
           and every problem found. FILE is read as a source when its name
           ends in ".txt" or ".svg" (shapes compiled), otherwise as a level file, with the game's own loader,
           so a file the game would refuse is refused here with the reason.
render     Draws the whole level and the bike's start pose into OUT.png,
           W pixels wide (default 1024); FILE is read as for check.
           "zuno-level render --help" tells more.

Text form: one triangle a line, six integers in file units:
    x0 y0  x1 y1  x2 y2
separated by spaces or tabs; "#" starts a comment that runs to the end of
the line; blank lines are allowed. Each integer is a signed 32-bit decimal.
The game scales every coordinate by 1.5 on loading: world = file x 1.5.
x grows to the right, y downwards. A line
    shape x0 y0  x1 y1  x2 y2 ...
is a closed outline of three points or more, any winding, in file units.
Shapes are joined (overlaps merge, a ring of shapes encloses a hole) and
the solid is meshed into triangles that pass the checks below; triangle
lines stay as written.

SVG: one user unit is one world unit (y downwards). Every filled path,
rect, circle, ellipse, polygon and polyline is solid, with its transforms
and fill rule; text, images and strokes without fill are skipped with a
warning. Curves are flattened to within 1 world unit, with chords of at
least 60 units where a curve is tighter.

Level file: int32 triangle count, then six int32 coordinates per
triangle, all little-endian, at most 5000 triangles.

Problems that check (and compile) report:
  - more than 5000 triangles;
  - a triangle of zero area (its corners on one line);
  - a triangle thinner than 40 world units (its smallest altitude): a ball
    is pushed out through the edge nearest its centre, so one whose centre
    gets past a triangle's middle leaves through the far side. The bike
    peaks at under 50 units per frame driven flat out; at 105 units per
    frame, over twice that (35 per substep), a wheel of radius 15 can end
    20 units inside the surface it hits, so triangles must be twice that
    thick;
  - a triangle inside or touching a ball of the bike's start pose (body ball
    at (200, 100) radius 10, wheels at (100, 200) and (300, 200) radius 15,
    world units);
  - two triangles that overlap or cross each other's edges (sharing an edge,
    part of an edge or a corner is fine);
  - a triangle that can vanish while on screen: the game draws a triangle
    only while one of its corners is within 870.4 x 652.8 world units of
    the camera, so a large triangle can be skipped while part of it shows.
    Split it so that every point is within about 357 x 267 of a corner.

Messages: "FILE:LINE: what is wrong" for text, "FILE: what is wrong" for a
level file. Exit status: 0 ok, 1 problems found or bad input, 2 usage error.
)";

// Prints every problem; true when there were none.
bool reportProblems(const std::string& path, const std::vector<FileTriangle>& triangles, const std::vector<int>& lines) {
    const std::vector<LevelProblem> problems = checkLevel(triangles);
    for (const LevelProblem& p : problems) std::cerr << formatProblem(p, path, lines.empty() ? nullptr : &lines) << '\n';
    return problems.empty();
}

bool read(const std::string& path, LevelForm form, LevelText& level) {
    const std::string fault = readLevel(path, form, level);
    if (!fault.empty()) std::cerr << fault << '\n';
    return fault.empty();
}

// Compiles the source (text with triangle and shape lines, or SVG) and
// replaces output with the level; prints the warnings and the faults.
// Returns the triangle count, or -1 when nothing was written.
long compileOnce(const std::string& source, const std::string& output, bool checked,
                 std::vector<std::string>* lastWarnings = nullptr) {
    std::ifstream in(source, std::ios::binary);
    std::ostringstream bytes;
    if (!in || !(bytes << in.rdbuf())) {
        std::cerr << source << ": cannot open\n" << output << ": not written\n";
        return -1;
    }
    CompiledLevel level;
    const std::string fault = compileLevelSource(bytes.str(), source, checked, level);
    // Watching, the same warnings again would bury the one line a save gets.
    if (!lastWarnings || *lastWarnings != level.warnings)
        for (const std::string& w : level.warnings) std::cerr << w << '\n';
    if (lastWarnings) *lastWarnings = level.warnings;
    if (!fault.empty()) {
        std::cerr << fault << '\n';
        return -1;
    }
    if (checked && !reportProblems(source, level.triangles, level.lines)) {
        std::cerr << output << ": not written\n";
        return -1;
    }
    if (std::string reason = replaceFile(output, encodeLevel(level.triangles)); !reason.empty()) {
        std::cerr << output << ": " << reason << '\n';
        return -1;
    }
    return long(level.triangles.size());
}

// What tells one save of a file from the next: editors save in place or
// by writing a new file and renaming it over the old.
struct FileStamp {
    bool exists = false;
    long long seconds = 0, nanoseconds = 0, size = 0, inode = 0;
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && seconds == o.seconds && nanoseconds == o.nanoseconds && size == o.size &&
               inode == o.inode;
    }
};

FileStamp stampOf(const std::string& path) {
    struct stat st;
    FileStamp s;
    if (::stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.seconds = st.st_mtim.tv_sec;
    s.nanoseconds = st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.inode = (long long)st.st_ino;
    return s;
}

// Compiles now and again after every save of the source, until stopped.
int watch(const std::string& source, const std::string& output, bool checked) {
    FileStamp last = stampOf(source);
    std::vector<std::string> warnings;
    for (;;) {
        const long count = compileOnce(source, output, checked, &warnings);
        if (count >= 0) std::cout << source << ": " << counted(size_t(count), "triangle") << ", " << output << " written" << std::endl;
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const FileStamp now = stampOf(source);
            if (now == last) continue;
            // Let a save that is still being written settle first.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            last = stampOf(source);
            if (last.exists) break;
        }
    }
}

int compile(const Arguments& a) {
    a.expectPositional(2, "SRC and OUT.lev");
    const std::string& source = a.positional[0];
    const std::string& output = a.positional[1];
    const bool checked = !a.has("--no-check");
    if (a.has("--watch")) return watch(source, output, checked);
    return compileOnce(source, output, checked) >= 0 ? kExitOk : kExitBadInput;
}

int decompile(const Arguments& a) {
    a.expectPositional(1, "IN.lev");
    LevelText level;
    if (!read(a.positional[0], LevelForm::byName, level)) return kExitBadInput;
    std::ostringstream text;
    formatLevelText(level.triangles, text);
    std::cout << text.str() << std::flush;
    return std::cout ? kExitOk : kExitBadInput;
}

int check(const Arguments& a) {
    a.expectPositional(1, "FILE");
    const std::string& path = a.positional[0];
    LevelText level;
    if (!read(path, LevelForm::byName, level)) return kExitBadInput;
    const bool ok = reportProblems(path, level.triangles, level.lines);
    const LevelBounds b = levelBounds(level.triangles);
    std::cout << path << ": " << counted(level.triangles.size(), "triangle");
    if (!b.empty)
        std::cout << ", x " << b.minX << " to " << b.maxX << ", y " << b.minY << " to " << b.maxY << " (world units)";
    std::cout << (ok ? ", ok\n" : ", problems found\n");
    return ok ? kExitOk : kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Verb> verbs = {
        {"compile", {{}, {"--no-check", "--watch"}}, nullptr, compile},
        {"decompile", {}, nullptr, decompile},
        {"check", {}, nullptr, check},
        levelRenderVerb(std::cout, std::cerr),
    };
    return runTool(argc, argv, "zuno-level", kHelp, verbs, std::cout, std::cerr);
}

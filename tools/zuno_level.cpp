// zuno-level: compiles the level's text form to a level file, turns a level
// file back into text, and checks either for the faults the game cannot
// handle well. Exit status 0 ok, 1 problems or bad input, 2 usage error.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/text_words.h"
#include "tools/levels/level_check.h"
#include "tools/levels/level_render.h"
#include "tools/levels/level_source.h"
#include "tools/output/output_file.h"

namespace {

const char* const kHelp = R"(usage: zuno-level compile [--no-check] SRC.txt OUT.lev
       zuno-level decompile IN.lev
       zuno-level check FILE
       zuno-level render FILE -o OUT.png [--width W]
       zuno-level --help, zuno-level COMMAND --help

compile    Reads the text form SRC.txt and writes the level file OUT.lev.
           OUT.lev is replaced in one step: a failed compile leaves it as
           it was. The level is checked first (see check) and not written
           when a problem is found; --no-check skips the geometry checks,
           never the syntax, range and triangle-count checks.
decompile  Writes the text form of IN.lev to standard output (IN.lev is
           read as for check). Compiling
           that text gives IN.lev back (when IN.lev has no bytes after its
           last triangle and a count of 0 or more).
check      Reports the level's triangle count, its bounds in world units
           and every problem found. FILE is read as text when its name ends
           in ".txt", otherwise as a level file, with the game's own loader,
           so a file the game would refuse is refused here with the reason.
render     Draws the whole level and the bike's start pose into OUT.png,
           W pixels wide (default 1024); FILE is read as for check.
           "zuno-level render --help" tells more.

Text form: one triangle a line, six integers in file units:
    x0 y0  x1 y1  x2 y2
separated by spaces or tabs; "#" starts a comment that runs to the end of
the line; blank lines are allowed. Each integer is a signed 32-bit decimal.
The game scales every coordinate by 1.5 on loading: world = file x 1.5.
x grows to the right, y downwards.

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
    part of an edge or a corner is fine).

Messages: "FILE:LINE: what is wrong" for text, "FILE: what is wrong" for a
level file. Exit status: 0 ok, 1 problems found or bad input, 2 usage error.
)";

// Prints every problem; true when there were none.
bool reportProblems(const std::string& path, const LevelText& level) {
    const std::vector<LevelProblem> problems = checkLevel(level.triangles);
    for (const LevelProblem& p : problems)
        std::cerr << formatProblem(p, path, level.lines.empty() ? nullptr : &level.lines) << '\n';
    return problems.empty();
}

bool read(const std::string& path, LevelForm form, LevelText& level) {
    const std::string fault = readLevel(path, form, level);
    if (!fault.empty()) std::cerr << fault << '\n';
    return fault.empty();
}

int compile(const Arguments& a) {
    a.expectPositional(2, "SRC.txt and OUT.lev");
    const std::string& source = a.positional[0];
    const std::string& output = a.positional[1];
    LevelText level;
    if (!read(source, LevelForm::text, level)) return kExitBadInput;
    if (!a.has("--no-check") && !reportProblems(source, level)) {
        std::cerr << output << ": not written\n";
        return kExitBadInput;
    }
    if (std::string reason = replaceFile(output, encodeLevel(level.triangles)); !reason.empty()) {
        std::cerr << output << ": " << reason << '\n';
        return kExitBadInput;
    }
    return kExitOk;
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
    const bool ok = reportProblems(path, level);
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
        {"compile", {{}, {"--no-check"}}, nullptr, compile},
        {"decompile", {}, nullptr, decompile},
        {"check", {}, nullptr, check},
        levelRenderVerb(std::cout, std::cerr),
    };
    return runTool(argc, argv, "zuno-level", kHelp, verbs, std::cout, std::cerr);
}

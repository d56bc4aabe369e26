// zuno-level: compiles the level's text form to a level file, turns a level
// file back into text, and checks either for the faults the game cannot
// handle well. Exit status 0 ok, 1 problems or bad input, 2 usage error.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/levels/level_check.h"
#include "app/level_file.h"
#include "tools/levels/level_render.h"
#include "tools/levels/level_text.h"
#include "tools/shapes/shape_compile.h"

namespace {

constexpr int kOk = 0;
constexpr int kProblems = 1;
constexpr int kUsage = 2;

const char* const kHelp = R"(usage: zuno-level compile [--no-check] SRC.txt OUT.lev
       zuno-level decompile IN.lev
       zuno-level check FILE
       zuno-level render FILE -o OUT.png [--width W]
       zuno-level --help

compile    Reads the text form SRC.txt and writes the level file OUT.lev.
           OUT.lev is replaced in one step: a failed compile leaves it as
           it was. The level is checked first (see check) and not written
           when a problem is found; --no-check skips the geometry checks,
           never the syntax, range and triangle-count checks.
decompile  Writes the text form of IN.lev to standard output. Compiling
           that text gives IN.lev back (when IN.lev has no bytes after its
           last triangle and a count of 0 or more).
check      Reports the level's triangle count, its bounds in world units
           and every problem found. FILE is read as text when its name ends
           in ".txt", otherwise as a level file, with the game's own loader,
           so a file the game would refuse is refused here with the reason.
render     Draws the whole level and the bike's start pose into OUT.png,
           W pixels wide (default 1024); FILE is read as for check.

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

int usage(const std::string& why) {
    std::cerr << "zuno-level: " << why << "\n(zuno-level --help tells the usage)\n";
    return kUsage;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Triangles of a file in either form, with source lines for the text form.
// Prints the fault and returns false when the file cannot be read.
bool readLevel(const std::string& path, bool asText, LevelText& level) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::cerr << path << ": is a directory\n";
        return false;
    }
    if (asText) {
        std::ifstream in(path);
        if (!in) {
            std::cerr << path << ": cannot open\n";
            return false;
        }
        const std::string fault = parseLevelText(in, path, level);
        if (!fault.empty()) {
            std::cerr << fault << '\n';
            return false;
        }
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot open\n";
        return false;
    }
    std::unique_ptr<Level> loaded(new Level{});
    const std::string fault = LevelLoader::readWhole(in, *loaded);
    if (!fault.empty()) {
        std::cerr << path << ": " << fault << '\n';
        return false;
    }
    level.triangles = fileTriangles(*loaded);
    level.lines.clear();
    return true;
}

// Prints every problem; true when there were none.
bool reportProblems(const std::string& path, const LevelText& level, bool asText) {
    const std::vector<LevelProblem> problems = checkLevel(level.triangles);
    for (const LevelProblem& p : problems)
        std::cerr << formatProblem(p, path, asText ? &level.lines : nullptr) << '\n';
    return problems.empty();
}

// Writes bytes to path through a temporary file in the same directory and a
// rename, so path holds either its old content or all of the new.
bool writeAtomically(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        std::cerr << path << ": cannot write: " << std::strerror(errno) << '\n';
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (done < bytes.size() || !closed) {
        std::cerr << path << ": cannot write: " << std::strerror(done < bytes.size() ? writeErrno : errno) << '\n';
        ::unlink(temp.c_str());
        return false;
    }
    // mkstemp makes the file private; a level file is an ordinary data file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temp.c_str(), 0666 & ~mask);
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::cerr << path << ": cannot write: " << std::strerror(errno) << '\n';
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Reads and compiles a level source (text with triangle and shape lines, or
// SVG); prints the warnings, and the faults when it fails.
bool compileSource(const std::string& source, bool checked, LevelText& level) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source << ": cannot open\n";
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    CompiledLevel compiled;
    const std::string fault = compileLevel(bytes.str(), source, checked, compiled);
    for (const std::string& w : compiled.warnings) std::cerr << w << '\n';
    if (!fault.empty()) {
        std::cerr << fault << '\n';
        return false;
    }
    level.triangles = std::move(compiled.triangles);
    level.lines = std::move(compiled.lines);
    return true;
}

int compile(const std::string& source, const std::string& output, bool checked) {
    LevelText level;
    if (!compileSource(source, checked, level)) {
        std::cerr << output << ": not written\n";
        return kProblems;
    }
    return writeAtomically(output, encodeLevel(level.triangles)) ? kOk : kProblems;
}

int decompile(const std::string& input) {
    LevelText level;
    if (!readLevel(input, false, level)) return kProblems;
    std::ostringstream text;
    formatLevelText(level.triangles, text);
    std::cout << text.str() << std::flush;
    return std::cout ? kOk : kProblems;
}

int check(const std::string& path) {
    const bool asText = endsWith(path, ".txt");
    LevelText level;
    if (!readLevel(path, asText, level)) return kProblems;
    const bool ok = reportProblems(path, level, asText);
    const LevelBounds b = levelBounds(level.triangles);
    std::cout << path << ": " << level.triangles.size() << (level.triangles.size() == 1 ? " triangle" : " triangles");
    if (!b.empty)
        std::cout << ", x " << b.minX << " to " << b.maxX << ", y " << b.minY << " to " << b.maxY << " (world units)";
    std::cout << (ok ? ", ok\n" : ", problems found\n");
    return ok ? kOk : kProblems;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return kOk;
    }
    if (command == "compile") {
        bool checked = true;
        int first = 2;
        if (argc > 2 && std::string(argv[2]) == "--no-check") {
            checked = false;
            first = 3;
        }
        if (argc - first != 2) return usage("compile takes SRC.txt and OUT.lev");
        return compile(argv[first], argv[first + 1], checked);
    }
    if (command == "decompile") {
        if (argc != 3) return usage("decompile takes IN.lev");
        return decompile(argv[2]);
    }
    if (command == "check") {
        if (argc != 3) return usage("check takes FILE");
        return check(argv[2]);
    }
    if (command == "render") return levelRenderCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    return usage("unknown command \"" + command + "\"");
}

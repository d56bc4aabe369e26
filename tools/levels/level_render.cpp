// The render subcommand of zuno-level.
#include "tools/levels/level_render.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <system_error>
#include <filesystem>

#include "app/level_file.h"
#include "tools/levels/level_text.h"
#include "tools/levels/level_picture.h"

const char* const kLevelRenderHelp =
    "usage: zuno-level render FILE -o OUT.png [--width W]\n"
    "\n"
    "Draws the whole level, scaled to fit W pixels across (default 1024, 64 to\n"
    "8192; at most 8192 high), triangles filled dark red with red edges, and the\n"
    "bike where every run starts: body ball red, wheels blue, the selected wheel\n"
    "ringed green. FILE is read as text when its name ends in \".txt\", otherwise\n"
    "as a level file.\n";

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int usage(std::ostream& err, const std::string& why) {
    err << "zuno-level: " << why << "\n(zuno-level render --help tells the usage)\n";
    return 2;
}

// The level's triangles in file units; false with error set when unreadable.
bool readTriangles(const std::string& path, std::vector<FileTriangle>& triangles, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + ": is a directory";
        return false;
    }
    if (endsWith(path, ".txt")) {
        std::ifstream in(path);
        if (!in) {
            error = path + ": cannot open";
            return false;
        }
        LevelText text;
        error = parseLevelText(in, path, text);
        triangles = text.triangles;
        return error.empty();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    auto level = std::make_unique<Level>();
    if (std::string reason = LevelLoader::readWhole(in, *level); !reason.empty()) {
        error = path + ": " + reason;
        return false;
    }
    triangles = fileTriangles(*level);
    return true;
}

}  // namespace

int levelRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string input, output;
    long width = 1024;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kLevelRenderHelp;
            return 0;
        }
        if (a == "-o" || a == "--width") {
            if (i + 1 >= args.size()) return usage(err, a + " needs a value");
            const std::string& value = args[++i];
            if (a == "-o") {
                if (!output.empty()) return usage(err, "-o given twice");
                output = value;
                continue;
            }
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), width);
            if (ec != std::errc() || end != value.data() + value.size() || width < 64 || width > 8192)
                return usage(err, "--width needs a whole number from 64 to 8192, not \"" + value + "\"");
            continue;
        }
        if (a.size() > 1 && a[0] == '-') return usage(err, "unknown option " + a);
        if (!input.empty()) return usage(err, "render takes one level file");
        input = a;
    }
    if (input.empty()) return usage(err, "render needs a level file");
    if (output.empty()) return usage(err, "render needs -o OUT.png");

    std::vector<FileTriangle> triangles;
    std::string error;
    if (!readTriangles(input, triangles, error)) {
        err << error << '\n';
        return 1;
    }
    LevelPicture picture = drawLevelPicture(triangles, static_cast<int>(width));
    if (std::string reason = writePng(output, picture.image); !reason.empty()) {
        err << output << ": " << reason << '\n';
        return 1;
    }
    char scale[64];
    std::snprintf(scale, sizeof scale, "%.3g", picture.unitsPerPixel);
    out << output << ": " << picture.image.width << " x " << picture.image.height << ", " << triangles.size()
        << (triangles.size() == 1 ? " triangle" : " triangles") << ", a pixel is " << scale << " world units\n";
    return 0;
}

// The render subcommand of zuno-level.
#include "tools/levels/level_render.h"

#include <cstdio>
#include <ostream>

#include "tools/common/text_words.h"
#include "tools/levels/level_picture.h"
#include "tools/levels/level_source.h"

const char* const kLevelRenderHelp =
    "usage: zuno-level render FILE -o OUT.png [--width W]\n"
    "\n"
    "Draws the whole level, scaled to fit W pixels across (default 1024, 64 to\n"
    "8192; at most 8192 high), triangles filled dark red with red edges, and the\n"
    "bike where every run starts: body ball red, wheels blue, the selected wheel\n"
    "ringed green. FILE is read as text when its name ends in \".txt\", otherwise\n"
    "as a level file.\n";

namespace {

int render(const Arguments& a, std::ostream& out, std::ostream& err) {
    a.expectPositional(1, "one level file");
    const std::string& input = a.positional[0];
    const std::string output = a.required("-o");
    const int width = static_cast<int>(a.integer("--width", 1024, 64, kMaxLevelPictureSide));
    LevelText level;
    if (std::string fault = readLevel(input, LevelForm::byName, level); !fault.empty()) {
        err << fault << '\n';
        return kExitBadInput;
    }
    LevelPicture picture = drawLevelPicture(level.triangles, width);
    if (std::string reason = writePng(output, picture.image); !reason.empty()) {
        err << output << ": " << reason << '\n';
        return kExitBadInput;
    }
    char scale[64];
    std::snprintf(scale, sizeof scale, "%.3g", picture.unitsPerPixel);
    out << output << ": " << picture.image.width << " x " << picture.image.height << ", "
        << counted(level.triangles.size(), "triangle") << ", a pixel is " << scale << " world units\n";
    return kExitOk;
}

}  // namespace

Verb levelRenderVerb(std::ostream& out, std::ostream& err) {
    return Verb{"render", {{"-o", "--width"}, {}}, kLevelRenderHelp,
                [&out, &err](const Arguments& a) { return render(a, out, err); }};
}

int levelRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return runVerb("zuno-level", kLevelRenderHelp, levelRenderVerb(out, err), args, out, err);
}

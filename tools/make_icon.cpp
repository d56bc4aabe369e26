// Draws the desktop icon: the game's own picture of the bike resting on a
// slope, simulated and drawn by the game's code off screen, cut out around
// the bike and shrunk to each icon size, written as DIR/zuno-N.png (the
// desktop's sizes, or those named after DIR, such as the web page's).
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/run_start.h"
#include "display/display.h"
#include "display/scene.h"
#include "sim/contact_list.h"
#include "sim/step.h"
#include "sim/world.h"
#include "tools/output/png_file.h"
#include "tools/replays/surface.h"

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};
constexpr int kMargin = 14;          // screen pixels around the bike's balls in the cut-out
constexpr int kMaxSettleFrames = 200;  // the bike drops onto the slope until both wheels touch it

// One ground triangle sloping down to the right under the bike's start pose.
void makeSlope(Level& l) {
    l.triangleCount = 1;
    l.vertices[0] = Vec2(-400, 91);
    l.vertices[1] = Vec2(800, 391);
    l.vertices[2] = Vec2(-400, 391);
}

// Box shrink of the cut-out that keeps one-pixel lines: a line crossing a box
// of s x s pixels covers about s of them, so the box mean is scaled by s.
RgbImage shrink(const RgbImage& cut, int size) {
    RgbImage out(size, size);
    const double s = static_cast<double>(cut.width) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int x0 = static_cast<int>(x * s), x1 = std::max(x0 + 1, static_cast<int>((x + 1) * s));
            const int y0 = static_cast<int>(y * s), y1 = std::max(y0 + 1, static_cast<int>((y + 1) * s));
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int v = y0; v < y1; ++v)
                    for (int u = x0; u < x1; ++u) sum += cut.pixels[(static_cast<std::size_t>(v) * cut.width + u) * 3 + c];
                const double mean = sum / ((x1 - x0) * (y1 - y0));
                out.pixels[(static_cast<std::size_t>(y) * size + x) * 3 + c] =
                    static_cast<uint8_t>(std::min(255.0, mean * std::max(1.0, s)));
            }
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zuno-make-icon DIR [SIZE...]   (writes DIR/zuno-16.png ... DIR/zuno-256.png,\n"
                             "       or DIR/zuno-SIZE.png for each SIZE from 16 to 1024)\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<int> sizes(std::begin(kSizes), std::end(kSizes));
    if (argc > 2) sizes.clear();
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || size < 16 || size > 1024) {
            std::fprintf(stderr, "zuno-make-icon: %s: not a size from 16 to 1024\n", argv[i]);
            return 2;
        }
        sizes.push_back(static_cast<int>(size));
    }

    SurfacePtr surface;
    RunState run;
    std::unique_ptr<Display> display;
    RunStart how;
    how.buildLevel = makeSlope;
    how.openDisplay = [&surface](RunState& r, std::unique_ptr<Display>& d) -> std::string {
        surface = createScreenSurface();
        if (!surface) return std::string("zuno-make-icon: no surface: ") + SDL_GetError();
        d = std::make_unique<Display>(surface.get(), nullptr, &r.running);
        return "";
    };
    if (StartResult start = startRun(how, run, display); start.outcome != StartOutcome::started) {
        std::fprintf(stderr, "%s\n", start.error.c_str());
        return 1;
    }
    // The picture of the frame in which both wheels first rest on the slope,
    // its touched edge blue.
    for (int frame = 0; frame < kMaxSettleFrames; ++frame) {
        contactList.clear();
        stepSimulation();
        drawScene(*display, world, level, contactList);
        world.frameCounter += 1;
        if (world.contactFlag[1] && world.contactFlag[2]) break;
    }

    // A square around the balls, in screen pixels (the camera is on the centre point).
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (int i = 0; i < kBallCount; ++i) {
        x0 = std::min(x0, world.position[i].x - world.radius[i]);
        x1 = std::max(x1, world.position[i].x + world.radius[i]);
        y0 = std::min(y0, world.position[i].y - world.radius[i]);
        y1 = std::max(y1, world.position[i].y + world.radius[i]);
    }
    const int cutSize = static_cast<int>(std::max(x1 - x0, y1 - y0)) + 2 * kMargin;
    const int left = static_cast<int>(columnAxis(world.centre).ofWhole((x0 + x1) / 2)) - cutSize / 2;
    const int top = static_cast<int>(rowAxis(world.centre).ofWhole((y0 + y1) / 2)) - cutSize / 2;
    const RgbImage screen = surfaceToRgb(surface.get());
    RgbImage cut(cutSize, cutSize);
    for (int y = 0; y < cutSize; ++y)
        for (int x = 0; x < cutSize; ++x) {
            const int sx = left + x, sy = top + y;
            if (sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
            std::copy_n(&screen.pixels[(static_cast<std::size_t>(sy) * screen.width + sx) * 3], 3,
                        &cut.pixels[(static_cast<std::size_t>(y) * cutSize + x) * 3]);
        }

    for (int size : sizes) {
        const std::string path = dir + "/zuno-" + std::to_string(size) + ".png";
        const std::string error = writePng(path, shrink(cut, size));
        if (!error.empty()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
    }
    return 0;
}

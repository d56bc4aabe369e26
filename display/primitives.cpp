// Drawing primitives of the Display: lines and circle outlines in world
// space through the camera, filled rectangles, three-digit numbers and
// bitmap cells in screen space.
#include <algorithm>
#include <cmath>
#include <utility>

#include "display/display.h"
#include "display/line_walk.h"

namespace {

// Lines up to this many steps, away from the coordinates where adding 1.0
// stops being exact enough to advance, cost no more walked step by step
// (off-screen steps are only compared) than clipped by search.
constexpr double kShortWalk = 2048;
constexpr double kEveryStepLimit = 4503599627370496.0;  // 2^52

constexpr int kCirclePoints = 210;

// The angles of a circle outline, accumulated 0.03 at a time exactly as the
// outline is defined, with their cosines and sines; the same for every call.
struct CircleTable {
    double cosine[kCirclePoints];
    double sine[kCirclePoints];
    int count = 0;
    CircleTable() {
        for (double angle = 0.0; angle < 6.28 && count < kCirclePoints; angle += 0.03) {
            cosine[count] = std::cos(angle);
            sine[count] = std::sin(angle);
            ++count;
        }
    }
};

const CircleTable& circleTable() {
    static const CircleTable table;
    return table;
}

}  // namespace

void Display::drawLine(double x1, double y1, double x2, double y2, uint32_t colour) {
    ++drawCalls;
    if (!(std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2))) return;
    // The truncated differences, kept in double: compared like the integers
    // they stand for, and defined however far apart the endpoints are.
    const double dxa = std::fabs(std::trunc(x2 - x1));
    const double dya = std::fabs(std::trunc(y2 - y1));
    LineWalk walk;
    if (dxa > dya) {
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        walk = LineWalk{x1, y1, x2, (y2 - y1) / (x2 - x1), true};
    } else {
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        walk = LineWalk{y1, x1, y2, (x2 - x1) / (y2 - y1), false};
    }
    if (walk.major2 - walk.major1 <= kShortWalk && std::fabs(walk.major1) < kEveryStepLimit &&
        std::fabs(walk.major2) < kEveryStepLimit)
        walkEveryStep(*this, walk, colour);
    else
        walkVisibleSteps(*this, walk, colour);
}

void Display::drawCircle(double cx, double cy, double radius, uint32_t colour) {
    ++drawCalls;
    if (!(std::isfinite(cx) && std::isfinite(cy) && std::isfinite(radius))) return;
    const CircleTable& table = circleTable();
    for (int i = 0; i < table.count; ++i)
        plotWorld(cx + radius * table.cosine[i], cy + radius * table.sine[i], colour);
}

void Display::fillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    ++drawCalls;
    // Clipped to the screen first: the same pixels, without walking the rest.
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, kScreenWidth);
    y1 = std::min(y1, kScreenHeight);
    if (x0 >= x1) return;
    for (int32_t y = y0; y < y1; ++y) {
        auto* row = static_cast<uint8_t*>(screen->pixels) + static_cast<std::ptrdiff_t>(y) * screen->pitch;
        std::fill(reinterpret_cast<uint32_t*>(row) + x0, reinterpret_cast<uint32_t*>(row) + x1, colour);
    }
}

void Display::drawNumber(int32_t value, int32_t x, int32_t y) {
    for (int i = 0; i < 3; ++i) {
        const int32_t divisor = static_cast<int32_t>(std::pow(10.0, 2 - i));
        const int32_t digit = (value / divisor) % 10;
        // Cell positions wrap like the 16-bit rectangle fields they end in.
        const auto cellX = static_cast<int32_t>(static_cast<int64_t>(x) + i * 19);
        blitCell(digitBitmap, digit * 19, 0, 20, 20, cellX, y, true);
    }
}

void Display::blitCell(SDL_Surface* source, int32_t sourceX, int32_t sourceY, int32_t width,
                       int32_t height, int32_t destinationX, int32_t destinationY, bool useKey) {
    ++drawCalls;
    if (!source || !screen) return;
    if (useKey) SDL_SetColorKey(source, SDL_SRCCOLORKEY, SDL_MapRGB(source->format, 0, 0, 0));
    SDL_Rect from;
    from.x = static_cast<Sint16>(sourceX);
    from.y = static_cast<Sint16>(sourceY);
    from.w = static_cast<Uint16>(width);
    from.h = static_cast<Uint16>(height);
    SDL_Rect to;
    to.x = static_cast<Sint16>(destinationX);
    to.y = static_cast<Sint16>(destinationY);
    to.w = 0;
    to.h = 0;
    SDL_UpperBlit(source, &from, screen, &to);
}

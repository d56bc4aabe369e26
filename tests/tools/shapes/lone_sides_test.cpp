// A side with no whole point along it is found to have no triangle only
// where none exists: checked against every whole point of long bars.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "tools/levels/level_check.h"
#include "tools/shapes/ear_clip.h"
#include "tools/shapes/lone_sides.h"

TEST(LoneSides, NeverOnlyWhereNoCornerKeepsTheTriangleOnScreen) {
    std::mt19937 random(7);
    int never = 0, fits = 0;
    while (never < 3 || fits < 3) {
        ASSERT_LT(never + fits, 40);
        // A bar 1,300 to 2,300 world units long, 90 to 200 wide, at an
        // angle where its long sides have no whole point.
        const double angle = double(random() % 6283) / 1000.0, length = 870 + double(random() % 660),
                     width = 60 + double(random() % 74);
        const IPoint a{1000, 1000};
        const IPoint b{a.x + std::llround(length * std::cos(angle)), a.y + std::llround(length * std::sin(angle))};
        if (std::gcd(b.x - a.x, b.y - a.y) != 1) continue;
        const double nx = -double(b.y - a.y) / length, ny = double(b.x - a.x) / length;
        const IPoint d{a.x + std::llround(nx * width), a.y + std::llround(ny * width)};
        const IPoint c{d.x + (b.x - a.x), d.y + (b.y - a.y)};
        const SolidPolygon bar{{a, b, c, d}, {}};
        if (cross(a, b, c) <= 0) continue;
        size_t budget = 400000;
        const LoneSide verdict = loneSide(bar, d, a, b, c, budget);
        ASSERT_NE(verdict, LoneSide::unknown);
        if (verdict == LoneSide::divisible) continue;
        // Every whole point of the bar as the third corner.
        bool exists = false;
        const int64_t loX = std::min({a.x, b.x, c.x, d.x}), hiX = std::max({a.x, b.x, c.x, d.x});
        const int64_t loY = std::min({a.y, b.y, c.y, d.y}), hiY = std::max({a.y, b.y, c.y, d.y});
        for (int64_t y = loY; y <= hiY && !exists; ++y)
            for (int64_t x = loX; x <= hiX && !exists; ++x) {
                const IPoint p{x, y};
                if (cross(a, b, p) < 0 || cross(b, c, p) < 0 || cross(c, d, p) < 0 || cross(d, a, p) < 0) continue;
                const MeshTriangle t{{a, b, p}};
                exists = meshThickness(t) >= kMinThickness && !meshCanVanish(t);
            }
        EXPECT_EQ(exists, verdict == LoneSide::fits) << a.x << " " << a.y << " " << b.x << " " << b.y << " " << width;
        ++(verdict == LoneSide::never ? never : fits);
    }
}

// A long scripted drive over the shipped course: throttle held, a turn now
// and then, a few kicks. No ball may end a frame inside the ground or
// outside the walls.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>

#include "input/controls.h"
#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "sim/world.h"

namespace {

const std::string kCourse = ZUNO_BINARY_DIR "/0.lev";

double cross(const Vec2& a, const Vec2& b, const Vec2& p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

// Strictly inside, whatever the triangle's winding.
bool inside(const Vec2* t, const Vec2& p) {
    double c0 = cross(t[0], t[1], p);
    double c1 = cross(t[1], t[2], p);
    double c2 = cross(t[2], t[0], p);
    return (c0 > 0 && c1 > 0 && c2 > 0) || (c0 < 0 && c1 < 0 && c2 < 0);
}

std::string script() {
    // A turn against the clock every 900 frames and a kick every 1300,
    // each held or tapped briefly, with the throttle held throughout.
    std::map<int, std::string> events{{0, "press up"}};
    for (int f = 600; f < 7000; f += 900) {
        events[f] = "press left";
        events[f + 20] = "release left";
    }
    for (int f = 1003; f < 7000; f += 1300) {
        events[f] = "press q";
        events[f + 1] = "release q";
    }
    std::ostringstream s;
    for (const auto& [frame, what] : events) s << frame << ' ' << what << '\n';
    return s.str();
}

}  // namespace

TEST(CourseDrive, NoBallEntersTheGroundOrLeavesTheCourse) {
    KeyScript keys;
    std::string error;
    std::istringstream in(script());
    ASSERT_TRUE(parseKeyScript(in, "drive.keys", keys, error)) << error;

    HeadlessGame game;
    ASSERT_EQ(game.startRecord(kCourse, std::make_unique<ReplayWriter>(std::make_unique<std::ostringstream>(), "drive.rec")), "");
    game.setKeyScript(&keys);

    double minX = 1e300, maxX = -1e300, maxY = -1e300;
    for (int t = 0; t < level.triangleCount; ++t)
        for (int k = 0; k < 3; ++k) {
            const Vec2& v = level.vertices[3 * t + k];
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            maxY = std::max(maxY, v.y);
        }

    double furthest = 0;
    for (int frame = 0; frame < 7000; ++frame) {
        game.runFrame();
        for (int b = 0; b < kBallCount; ++b) {
            const Vec2& p = world.position[b];
            ASSERT_TRUE(p.x > minX && p.x < maxX && p.y < maxY) << "ball " << b << " left the course at frame " << frame;
            for (int t = 0; t < level.triangleCount; ++t)
                ASSERT_FALSE(inside(&level.vertices[3 * t], p))
                    << "ball " << b << " inside triangle " << t << " at frame " << frame << " (" << p.x << ", " << p.y << ")";
        }
        furthest = std::max(furthest, world.position[0].x);
    }
    releaseAllKeys();
    // The drive gets well along the course, so the test sees more than the start.
    EXPECT_GT(furthest, 5000.0);
}

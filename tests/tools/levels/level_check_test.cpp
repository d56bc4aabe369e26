// The level checks on small levels with one fault each, and the shipped
// course, which must pass them and keep to its design limits.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/levels/level_text.h"

namespace {

FileTriangle tri(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return FileTriangle{{x0, y0, x1, y1, x2, y2}};
}

// Far from the start pose: x 1000 and beyond.
std::vector<std::string> problems(const std::vector<FileTriangle>& t) {
    std::vector<std::string> out;
    for (const LevelProblem& p : checkLevel(t)) out.push_back(formatProblem(p, "f", nullptr));
    return out;
}

}  // namespace

TEST(LevelCheck, EachKindOfProblemIsFound) {
    EXPECT_EQ(problems({tri(1000, 0, 1200, 0, 1000, 200)}), std::vector<std::string>{});
    EXPECT_EQ(problems({tri(1000, 0, 1100, 100, 1200, 200)}),
              std::vector<std::string>{"f: triangle 0: zero area (its corners lie on one line)"});
    // 1000 file units long, 20 high: 30 world units thick at most.
    const auto thin = problems({tri(1000, 0, 2000, 0, 1000, 20)});
    ASSERT_EQ(thin.size(), 1u);
    EXPECT_NE(thin[0].find("f: triangle 0: 30.0 world units thick"), std::string::npos) << thin[0];
    // Wheel 1 at world (100, 200) radius 15: a triangle whose top is at
    // world y 215 touches it, one at 216 does not.
    EXPECT_EQ(problems({tri(0, 144, 200, 144, 0, 400)}), std::vector<std::string>{});
    const auto touch = problems({tri(0, 143, 150, 143, 0, 400)});
    ASSERT_EQ(touch.size(), 1u);
    EXPECT_EQ(touch[0], "f: triangle 0: touches the wheel 1 of the start pose at (100.0, 200.0)");
    // The whole bike inside, and wide enough to vanish while on screen.
    const auto around = problems({tri(-1000, -1000, 1000, -1000, 0, 1000)});
    EXPECT_EQ(around.size(), 4u);
}

TEST(LevelCheck, TrianglesThatVanishWhileOnScreen) {
    // World (0, 600), (3000, 600), (0, 3600): its top edge shows at row 762
    // with the camera at (872, 222), where no corner is in the culling box.
    VanishCamera camera{};
    EXPECT_TRUE(triangleCanVanish(tri(0, 400, 2000, 400, 0, 2400), &camera));
    // The camera reported draws none of the corners, and is near enough to
    // show some of the triangle.
    for (const double* v : {(const double[]){0, 600}, (const double[]){3000, 600}, (const double[]){0, 3600}})
        EXPECT_FALSE(std::abs(v[0] - camera.x) < 870.4 && std::abs(v[1] - camera.y) < 652.8) << camera.x << ", " << camera.y;
    EXPECT_TRUE(camera.x > -513 && camera.y > 215 && camera.x + camera.y < 3600 + 513 + 385) << camera.x << ", " << camera.y;
    EXPECT_FALSE(triangleCanVanish(tri(0, 0, 470, 0, 0, 350)));
    EXPECT_FALSE(triangleCanVanish(tri(0, 0, 470, 350, 0, 350)));
    // A flat triangle vanishes once its long edge is wider than two culling
    // boxes (1740.8 world units): 1800 does, 1725 does not.
    EXPECT_TRUE(triangleCanVanish(tri(0, 0, 1200, 0, 0, 60)));
    EXPECT_FALSE(triangleCanVanish(tri(0, 0, 1150, 0, 0, 60)));
}

TEST(LevelCheck, OverlapsAreFoundButSharedEdgesAndCornersAreFine) {
    const FileTriangle a = tri(1000, 0, 1400, 0, 1000, 400);
    EXPECT_FALSE(trianglesOverlap(a, tri(1400, 0, 1400, 400, 1000, 400)));  // shared diagonal
    EXPECT_FALSE(trianglesOverlap(a, tri(1400, 0, 1800, 0, 1400, 400)));    // shared corner
    EXPECT_FALSE(trianglesOverlap(a, tri(1000, 400, 1200, 400, 1000, 600))); // part of an edge
    EXPECT_TRUE(trianglesOverlap(a, a));
    EXPECT_TRUE(trianglesOverlap(a, tri(1100, 100, 1150, 100, 1100, 150)));  // one inside the other
    // Star of David: edges cross, no corner of either lies inside the other.
    EXPECT_TRUE(trianglesOverlap(tri(1000, 100, 1300, 100, 1150, 400), tri(1000, 300, 1300, 300, 1150, 0)));
    // Coordinates at the ends of the int32 range still compare exactly.
    EXPECT_FALSE(trianglesOverlap(tri(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX),
                                  tri(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX)));

    const auto found = problems({a, tri(1400, 0, 1800, 0, 1400, 400), tri(1100, 100, 1500, 100, 1100, 500)});
    EXPECT_EQ(found, (std::vector<std::string>{"f: triangles 0 and 2 overlap", "f: triangles 1 and 2 overlap"}));
}

// Areas where the products of coordinate differences need 65 bits: exact
// (an area of 1 among them still counts), then rounded once to a double.
TEST(LevelCheck, AreasAtTheEndsOfTheRangeAreExact) {
    EXPECT_EQ(triangleThickness(tri(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX)),
              0x1.0f876ccce7462p+32);
    EXPECT_EQ(triangleThickness(tri(INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX, INT32_MAX - 1, INT32_MAX - 1)),
              0x1.0f876ccf8e18cp-32);
    EXPECT_EQ(problems({tri(INT32_MIN, INT32_MIN, 0, 0, INT32_MAX, INT32_MAX)}),
              std::vector<std::string>{"f: triangle 0: zero area (its corners lie on one line)"});
}

TEST(LevelCheck, TextProblemsNameTheirLines) {
    LevelProblem p{2, 5, "overlap"};
    const std::vector<int> lines = {3, 4, 9, 10, 11, 40};
    EXPECT_EQ(formatProblem(p, "c.txt", &lines), "c.txt:9: triangles 2 and 5 (line 40) overlap");
    EXPECT_EQ(formatProblem({-1, -1, "5001 triangles, at most 5000"}, "c.lev", nullptr),
              "c.lev: 5001 triangles, at most 5000");
}

TEST(LevelCheck, ShippedCoursePassesAndKeepsToItsDesign) {
    std::ifstream in(ZUNO_SOURCE_DIR "/data/course.txt");
    LevelText course;
    ASSERT_EQ(parseLevelText(in, "course.txt", course), "");
    EXPECT_EQ(problems(course.triangles), std::vector<std::string>{});
    EXPECT_LE(course.triangles.size(), 500u);

    // At least twenty screens wide; every edge short enough that a triangle
    // on screen always has a vertex inside the scene's culling box.
    const LevelBounds b = levelBounds(course.triangles);
    EXPECT_GE(b.maxX - b.minX, 20 * 1024.0);
    double longest = 0;
    for (const FileTriangle& t : course.triangles)
        for (int j = 0; j < 3; ++j) {
            const int k = (j + 1) % 3;
            longest = std::max(longest, 1.5 * std::hypot(double(t.c[2 * k] - t.c[2 * j]),
                                                         double(t.c[2 * k + 1] - t.c[2 * j + 1])));
        }
    EXPECT_LT(longest, 1000.0);

    // Ground right under the wheels: something within 5 units below each.
    LevelText probe;
    probe.triangles = {tri(60, 137, 73, 137, 66, 145), tri(193, 137, 206, 137, 200, 145)};  // wheels' feet
    for (const FileTriangle& foot : probe.triangles) {
        bool supported = false;
        for (const FileTriangle& t : course.triangles) supported = supported || trianglesOverlap(foot, t);
        EXPECT_TRUE(supported);
    }
}

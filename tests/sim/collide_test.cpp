// Ball-triangle collision: the strict boundaries of each test (bounds, edge
// ends, contact distance, vertex gate and reach), the recorded edge, and the
// motion check.
#include <gtest/gtest.h>

#include "sim/collide.h"

namespace {
const Vec2 kUnset(-999, -999);

struct Outcome {
    bool contact;
    Vec2 newPosition;
    Vec2 normal;
};

// A ball of radius 10 at the origin that has not moved this frame, unless a
// test says otherwise.
class Collide : public ::testing::Test {
protected:
    World w{};
    ContactList list;
    Vec2 centre{0, 0};
    double radius = 10;

    Outcome run(Vec2 a, Vec2 b, Vec2 c) {
        const Vec2 triangle[3] = {a, b, c};
        Outcome o{false, kUnset, kUnset};
        w.position[0] = centre;
        o.contact = collideBallTriangle(triangle, centre, radius, o.newPosition, o.normal, 0, 7, w, list);
        return o;
    }
    void SetUp() override { w.previousPosition[0] = centre; }
};
}  // namespace

TEST(ProjectOnEdge, BothEndsInclusiveAndNothingWrittenBeyond) {
    double distance = -1;
    Vec2 foot = kUnset, normal = kUnset;
    ASSERT_TRUE(projectOnEdge(Vec2(10, 5), Vec2(0, 0), Vec2(10, 0), distance, &foot, &normal));
    EXPECT_EQ(distance, 5.0);
    EXPECT_EQ(foot, Vec2(10, 0));
    EXPECT_EQ(normal, Vec2(0, 1));
    EXPECT_TRUE(projectOnEdge(Vec2(0, -5), Vec2(0, 0), Vec2(10, 0), distance, &foot, &normal));
    EXPECT_EQ(normal, Vec2(0, -1));  // turned towards the centre

    distance = -1;
    foot = normal = kUnset;
    EXPECT_FALSE(projectOnEdge(Vec2(10.000001, 5), Vec2(0, 0), Vec2(10, 0), distance, &foot, &normal));
    EXPECT_FALSE(projectOnEdge(Vec2(-0.000001, 5), Vec2(0, 0), Vec2(10, 0), distance, &foot, &normal));
    EXPECT_EQ(distance, -1.0);
    EXPECT_EQ(foot, kUnset);
    EXPECT_EQ(normal, kUnset);
}

TEST(OverlapsBounds, AVertexAtExactlyTheRadiusKeepsTheTriangleOnEverySide) {
    const Vec2 c(0, 0);
    const Vec2 right[3] = {{10, 0}, {20, 5}, {20, -5}};
    const Vec2 left[3] = {{-10, 0}, {-20, 5}, {-20, -5}};
    const Vec2 below[3] = {{0, 10}, {5, 20}, {-5, 20}};
    const Vec2 above[3] = {{0, -10}, {5, -20}, {-5, -20}};
    for (const Vec2* t : {right, left, below, above}) {
        EXPECT_TRUE(overlapsBounds(t, c, 10.0));
        EXPECT_FALSE(overlapsBounds(t, c, 9.999999));
        EXPECT_TRUE(overlapsBounds(boundsOf(t), c, 10.0));
        EXPECT_FALSE(overlapsBounds(boundsOf(t), c, 9.999999));
    }
}

// The step skips calls by a triangle's extremes and by the extremes of the
// whole bike; a skip must never hide a triangle the per-vertex test keeps.
// Inexact coordinates make the rounding of each difference matter.
TEST(OverlapsBounds, ShortcutsNeverRejectWhatTheVertexTestKeeps) {
    World w{};
    w.radius[0] = 10;
    w.radius[1] = w.radius[2] = 15;
    uint64_t state = 1;
    auto next = [&](double range) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0 * range;
    };
    for (int n = 0; n < 200000; ++n) {
        for (Vec2& p : w.position) p = Vec2(next(100) + 0.1, next(100) + 0.3);
        Vec2 t[3];
        for (Vec2& v : t) v = Vec2(next(130) - 15, next(130) - 15);
        if (n % 2) {  // one vertex exactly on a ball's boundary, the others beyond
            const Vec2 p = w.position[n % 3];
            const double r = w.radius[n % 3];
            double Vec2::*axis = (n >> 1) % 4 < 2 ? &Vec2::x : &Vec2::y;
            const double side = (n >> 1) % 2 ? -1.0 : 1.0;
            for (Vec2& v : t) v.*axis = p.*axis + side * (r + next(50));
            t[0].*axis = p.*axis + side * r;
        }
        const TriangleBounds b = boundsOf(t);
        const BallReach reach = reachOf(w);
        bool anyKept = false;
        for (int i = 0; i < kBallCount; ++i) {
            const bool kept = overlapsBounds(t, w.position[i], w.radius[i]);
            ASSERT_EQ(overlapsBounds(b, w.position[i], w.radius[i]), kept) << n;
            anyKept = anyKept || kept;
        }
        if (anyKept) {
            ASSERT_TRUE(mayReachAny(b, reach)) << n;
        }
    }
}

TEST_F(Collide, RejectedTriangleWritesAndRecordsNothing) {
    Outcome o = run(Vec2(10.5, -5), Vec2(11, 5), Vec2(30, 0));
    EXPECT_FALSE(o.contact);
    EXPECT_EQ(o.newPosition, kUnset);
    EXPECT_EQ(o.normal, kUnset);
    EXPECT_EQ(list.size(), 0u);
}

// The floor's top edge (edge 0) is the surface; its other edges lie far.
TEST_F(Collide, EdgeContactOnlyStrictlyNearerThanTheRadius) {
    Outcome o = run(Vec2(-50, 10), Vec2(50, 10), Vec2(0, 60));
    EXPECT_FALSE(o.contact);
    EXPECT_EQ(list.size(), 0u);

    o = run(Vec2(-50, 6), Vec2(50, 6), Vec2(0, 60));
    ASSERT_TRUE(o.contact);
    EXPECT_EQ(o.newPosition, Vec2(0, -4));
    EXPECT_EQ(o.normal, Vec2(0, -1));
    EXPECT_TRUE(list.contains(EdgeRef{7, 0}));
    EXPECT_EQ(list.size(), 1u);
}

// A centre inside a right-angled corner, 6 from both legs: whichever leg has
// the lower index wins.
TEST_F(Collide, EqualDistanceEdgesKeepTheLowerIndex) {
    Outcome o = run(Vec2(-20, 6), Vec2(6, 6), Vec2(6, -20));
    ASSERT_TRUE(o.contact);
    EXPECT_TRUE(list.contains(EdgeRef{7, 0}));
    EXPECT_EQ(o.normal, Vec2(0, -1));
    EXPECT_EQ(o.newPosition, Vec2(0, -4));

    list.clear();
    o = run(Vec2(6, 6), Vec2(6, -20), Vec2(-20, 6));
    ASSERT_TRUE(o.contact);
    EXPECT_TRUE(list.contains(EdgeRef{7, 0}));
    EXPECT_EQ(o.normal, Vec2(-1, 0));
    EXPECT_EQ(o.newPosition, Vec2(-4, 0));
    EXPECT_EQ(list.size(), 1u);
}

// A corner pointing at the centre from below: neither of its edges
// qualifies, the opposite edge lies at distance 5 + depth.
TEST_F(Collide, VertexPassNeedsTheOppositeEdgeBeyondRadiusPlusTwo) {
    auto corner = [&](double cornerY, double depth) {
        return run(Vec2(0, cornerY), Vec2(-20, cornerY + depth), Vec2(20, cornerY + depth));
    };
    EXPECT_FALSE(corner(5, 6).contact);  // opposite edge at r + 1
    EXPECT_FALSE(corner(5, 7).contact);  // exactly r + 2
    EXPECT_EQ(list.size(), 0u);

    Outcome o = corner(5, 8);
    ASSERT_TRUE(o.contact);
    EXPECT_EQ(o.newPosition, Vec2(0, -3));  // r - 2 from the corner
    EXPECT_EQ(o.normal, Vec2(0, -1));

    list.clear();
    EXPECT_FALSE(corner(8, 20).contact);  // corner at exactly r - 2
    EXPECT_TRUE(corner(7.999, 20).contact);
}

TEST_F(Collide, NoQualifyingEdgeMeansNoContactEvenWithANearCorner) {
    EXPECT_FALSE(run(Vec2(3, 3), Vec2(30, 3), Vec2(30, 10)).contact);
    EXPECT_EQ(list.size(), 0u);
}

TEST_F(Collide, VertexContactRecordsTheEdgeOppositeTheVertex) {
    const Vec2 v[3] = {{0, 5}, {-20, 13}, {20, 13}};  // vertex 0 is the near corner
    for (int j = 0; j < 3; ++j) {
        list.clear();
        // Rotate so that the near corner sits at index j.
        ASSERT_TRUE(run(v[(3 - j) % 3], v[(4 - j) % 3], v[(5 - j) % 3]).contact);
        EXPECT_EQ(list.size(), 1u);
        EXPECT_TRUE(list.contains(EdgeRef{7, (j + 1) % 3})) << "corner at vertex " << j;
    }
}

TEST_F(Collide, MotionCheckWithdrawsACorrectionAlongTheMotion) {
    w.velocity[0] = Vec2(3, -7);
    w.previousPosition[0] = Vec2(0, 3);  // came up from below into the surface
    Outcome o = run(Vec2(-50, 5), Vec2(50, 5), Vec2(0, 50));
    EXPECT_FALSE(o.contact);
    EXPECT_EQ(w.position[0], Vec2(0, 3));
    EXPECT_EQ(w.velocity[0], Vec2(1.5, -3.5));
    EXPECT_EQ(o.newPosition, Vec2(0, -5));
    EXPECT_TRUE(list.contains(EdgeRef{7, 0}));

    for (Vec2 start : {Vec2(0, -3), Vec2(0, 0), Vec2(4, 0)}) {  // falling, at rest, sliding
        w.previousPosition[0] = start;
        w.velocity[0] = Vec2(3, -7);
        EXPECT_TRUE(run(Vec2(-50, 5), Vec2(50, 5), Vec2(0, 50)).contact);
        EXPECT_EQ(w.velocity[0], Vec2(3, -7));
    }
}

// The frame step: the worked first frame, free fall, the body-side pull,
// contact bookkeeping across substeps, and a bike dropped on a solid floor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "sim/collide.h"
#include "sim/step.h"

namespace {
const double kTriangleHeight = 50 * std::sqrt(3.0);  // rest-length triangle

class Step : public ::testing::Test {
protected:
    World w{};
    std::unique_ptr<Level> l = std::make_unique<Level>();  // zeroed, too large for the stack
    ContactList list;

    void SetUp() override {
        w.gravity = Vec2(0, kInitialGravityY);
        initialiseWorld(w);
    }
    // Body ball above (or below, when flipped) wheels 1 and 2 at rest length,
    // all at rest unless a velocity is given.
    void restPose(Vec2 wheel1, bool flipped = false, Vec2 velocity = Vec2(0.0)) {
        w.position[1] = wheel1;
        w.position[2] = wheel1 + Vec2(100, 0);
        w.position[0] = wheel1 + Vec2(50, flipped ? kTriangleHeight : -kTriangleHeight);
        for (int i = 0; i < kBallCount; ++i) {
            w.previousPosition[i] = w.position[i];
            w.velocity[i] = velocity;
        }
    }
    void addTriangle(Vec2 a, Vec2 b, Vec2 c) {
        const int t = l->triangleCount++;
        l->vertices[3 * t] = a;
        l->vertices[3 * t + 1] = b;
        l->vertices[3 * t + 2] = c;
    }
    // The end-of-frame copy the scene drawing would take.
    void frame() {
        list.clear();
        stepSimulation(w, *l, list);
        for (int i = 0; i < kBallCount; ++i) w.previousPosition[i] = w.position[i];
    }
};

void expectNear(Vec2 actual, Vec2 expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}
}  // namespace

TEST_F(Step, FirstFrameFromTheStartPoseOnAnEmptyLevel) {
    stepSimulation(w, *l, list);
    EXPECT_EQ(w.centre, Vec2(200, 167));
    expectNear(w.position[0], Vec2(207.5612, 115.2394), 5e-5);
    expectNear(w.position[1], Vec2(121.3219, 197.7943), 5e-5);
    expectNear(w.position[2], Vec2(279.4098, 198.2472), 5e-5);
    expectNear(w.velocity[0], Vec2(7.5612, 15.2394), 5e-5);
    expectNear(w.velocity[1], Vec2(21.3219, -2.2057), 5e-5);
    expectNear(w.velocity[2], Vec2(-20.5902, -1.7528), 5e-5);
}

TEST_F(Step, FreeFallGainsTwoThirdsOfGravityPerFrame) {
    restPose(Vec2(100, 200));
    const Vec2 start = w.position[1];
    frame();
    for (int i = 0; i < kBallCount; ++i) expectNear(w.velocity[i], Vec2(0, 0.26667), 5e-6);
    expectNear(w.position[1] - start, Vec2(0, 0.26667), 5e-6);
    frame();
    for (int i = 0; i < kBallCount; ++i) expectNear(w.velocity[i], Vec2(0, 0.53333), 5e-6);
}

TEST_F(Step, WithoutGravityACommonVelocityCarriesOn) {
    w.gravity = Vec2(0.0);
    restPose(Vec2(100, 200), false, Vec2(3, -2));
    for (int n = 0; n < 10; ++n) frame();
    expectNear(w.position[1], Vec2(130, 180), 1e-9);
    for (int i = 0; i < kBallCount; ++i) expectNear(w.velocity[i], Vec2(3, -2), 1e-9);
}

TEST_F(Step, BodyBallIsPulledOnlyWhileAcrossTheWheelLine) {
    w.gravity = Vec2(0.0);
    restPose(Vec2(100, 200), true);
    frame();
    EXPECT_LT(w.velocity[0].y, -50);  // pulled up towards the centre point

    // On the line (s = 0), beyond wheel 2: only constraint 0 draws it in,
    // by under 12 per substep; the pull would add over 33 in the first.
    w.position[0] = Vec2(300, 200);
    w.position[1] = Vec2(100, 200);
    w.position[2] = Vec2(200, 200);
    for (int i = 0; i < kBallCount; ++i) {
        w.previousPosition[i] = w.position[i];
        w.velocity[i] = Vec2(0.0);
    }
    frame();
    EXPECT_GT(w.velocity[0].x, -36);
    EXPECT_EQ(w.velocity[0].y, 0.0);
}

TEST_F(Step, ContactFlagLastsTheFrameAndTheNormalOutlivesIt) {
    w.gravity = Vec2(0.0);
    restPose(Vec2(85, 200), false, Vec2(30, 0));
    addTriangle(Vec2(80, 212), Vec2(102, 212), Vec2(91, 230));  // a bump wheel 1 rolls over
    frame();
    EXPECT_TRUE(w.contactFlag[1]);
    EXPECT_EQ(w.contactNormal[1], Vec2(0, -1));
    EXPECT_FALSE(w.contactFlag[0]);
    EXPECT_FALSE(w.contactFlag[2]);
    EXPECT_EQ(list.size(), 1u);

    frame();  // past the bump: the flag goes, the normal stays
    EXPECT_FALSE(w.contactFlag[1]);
    EXPECT_EQ(w.contactNormal[1], Vec2(0, -1));
}

TEST_F(Step, WithdrawnContactSetsNoFlagButStaysListed) {
    w.gravity = Vec2(0.0);
    restPose(Vec2(100, 200));
    w.previousPosition[1] = Vec2(100, 230);  // moved up into the surface since the frame began
    w.contactNormal[1] = Vec2(7, 7);
    addTriangle(Vec2(40, 205), Vec2(160, 205), Vec2(100, 400));
    stepSimulation(w, *l, list);
    EXPECT_FALSE(w.contactFlag[1]);
    EXPECT_EQ(w.contactNormal[1], Vec2(7, 7));
    EXPECT_TRUE(list.contains(EdgeRef{0, 0}));
    EXPECT_GT(w.position[1].y, 220);  // put back, deep inside and out of reach
}

// A thick floor with its top at y = 400 and a wall at x = 500, the bike
// dropped from its start pose towards the corner: no ball may end a frame
// inside either (a wheel pressed into the corner is pushed out by both), and
// the bike settles on its wheels. Nothing brakes sliding, so it comes to rest
// vertically while it still drifts along the floor.
TEST_F(Step, DroppedBikeSettlesOnAFloorWithoutPassingThrough) {
    addTriangle(Vec2(-5000, 400), Vec2(5000, 400), Vec2(0, 5000));
    addTriangle(Vec2(500, 5000), Vec2(500, -5000), Vec2(5000, 0));
    w.velocity[0] = Vec2(10, 0);
    for (int n = 0; n < 2000; ++n) {
        frame();
        for (int i = 0; i < kBallCount; ++i) {
            ASSERT_LE(w.position[i].y, 400 - w.radius[i] + 1e-9) << "frame " << n << " ball " << i;
            ASSERT_LE(w.position[i].x, 500 - w.radius[i] + 1e-9) << "frame " << n << " ball " << i;
        }
    }
    for (int i = 0; i < kBallCount; ++i) EXPECT_NEAR(w.velocity[i].y, 0.0, 1e-9);
    EXPECT_NEAR(w.position[1].y, 385, 1e-9);
    EXPECT_NEAR(w.position[2].y, 385, 1e-9);
    EXPECT_LT(w.position[0].y, 385 - 80);  // body ball up on its wheels
    EXPECT_TRUE(w.contactFlag[1]);
    EXPECT_TRUE(w.contactFlag[2]);
    expectNear(w.contactNormal[1], Vec2(0, -1), 1e-12);
    EXPECT_TRUE(list.contains(EdgeRef{0, 0}));
}

// The collision pass skips far triangles without calling; on crowded scenes
// it must leave exactly what calling every ball on every triangle leaves.
TEST_F(Step, CollisionPassMatchesCallingEveryBallOnEveryTriangle) {
    uint64_t state = 7;
    auto next = [&](double range) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0 * range;
    };
    for (int t = 0; t < 400; ++t) {
        const Vec2 a(next(300), next(300));
        addTriangle(a, a + Vec2(next(60) - 20, next(60) - 20), a + Vec2(next(60) - 20, next(60) - 20));
    }
    for (int scene = 0; scene < 300; ++scene) {
        for (int b = 0; b < kBallCount; ++b) {
            w.position[b] = Vec2(next(300), next(300));
            w.previousPosition[b] = w.position[b] + Vec2(next(20) - 10, next(20) - 10);
            w.velocity[b] = Vec2(next(20) - 10, next(20) - 10);
        }
        World plain;
        std::memcpy(static_cast<void*>(&plain), &w, sizeof w);  // padding included, for memcmp
        ContactList plainList;
        for (int t = 0; t < l->triangleCount; ++t)
            for (int b = 0; b < kBallCount; ++b) {
                Vec2 newPosition, normal;
                if (collideBallTriangle(&l->vertices[3 * t], plain.position[b], plain.radius[b],
                                        newPosition, normal, b, t, plain, plainList)) {
                    plain.contactFlag[b] = true;
                    plain.contactNormal[b] = normal;
                    plain.position[b] = newPosition;
                }
            }
        list.clear();
        collideWithLevel(w, *l, list);
        ASSERT_EQ(std::memcmp(&w, &plain, sizeof w), 0) << "scene " << scene;
        ASSERT_EQ(list.size(), plainList.size());
        for (int t = 0; t < l->triangleCount; ++t)
            for (int k = 0; k < 3; ++k) ASSERT_EQ(list.contains({t, k}), plainList.contains({t, k}));
    }
}

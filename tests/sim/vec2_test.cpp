// Vec2: the zero-vector guard of normalise and the turn direction of
// perpendicular, which the collision's normals depend on.
#include <gtest/gtest.h>

#include "sim/vec2.h"

TEST(Vec2, NormaliseKeepsZeroAndReturnsFormerLength) {
    Vec2 zero(0.0);
    EXPECT_EQ(normalise(zero), 0.0);
    EXPECT_EQ(zero, Vec2(0, 0));
    Vec2 negZero(-0.0, -0.0);
    EXPECT_EQ(normalise(negZero), 0.0);

    Vec2 up(0, -3);
    EXPECT_EQ(normalise(up), 3.0);
    EXPECT_EQ(up, Vec2(0, -1));
    Vec2 v(3, 4);
    EXPECT_EQ(normalise(v), 5.0);
    EXPECT_EQ(v, Vec2(0.6, 0.8));
}

TEST(Vec2, PerpendicularTurnsClockwiseOnScreenAndScales) {
    EXPECT_EQ(perpendicular(Vec2(2, 3), 1.0), Vec2(-3, 2));
    EXPECT_EQ(perpendicular(Vec2(2, 3), 1.5), Vec2(-4.5, 3));
    EXPECT_EQ(perpendicular(Vec2(1, 0), 1.0), Vec2(0, 1));  // right turns to down
    EXPECT_EQ(dot(Vec2(2, 3), perpendicular(Vec2(2, 3), 1.0)), 0.0);
}

TEST(Vec2, DivisionIsATrueDivision) {
    // 5 * (1 / 3) and 5 / 3 differ in the last bit.
    Vec2 v = Vec2(5, 7) / 3.0;
    EXPECT_EQ(v.x, 5.0 / 3.0);
    EXPECT_EQ(v.y, 7.0 / 3.0);
}

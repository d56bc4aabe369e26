// Collision of one ball with one level triangle: edge and vertex contacts,
// the corrected position and normal, and the motion check.
#pragma once

#include "sim/contact_list.h"
#include "sim/vec2.h"
#include "sim/world.h"

// The cheap first test of the collision: false when all three vertices lie
// more than radius beyond the centre on the same side of one axis (strict, so
// a vertex at exactly radius keeps the triangle in). Subtractions and
// comparisons only; most triangles of a level stop here.
inline bool overlapsBounds(const Vec2 triangle[3], const Vec2& centre, double radius) {
    const double x0 = triangle[0].x - centre.x;
    const double x1 = triangle[1].x - centre.x;
    const double x2 = triangle[2].x - centre.x;
    if (x0 > radius && x1 > radius && x2 > radius) return false;
    if (x0 < -radius && x1 < -radius && x2 < -radius) return false;
    const double y0 = triangle[0].y - centre.y;
    const double y1 = triangle[1].y - centre.y;
    const double y2 = triangle[2].y - centre.y;
    if (y0 > radius && y1 > radius && y2 > radius) return false;
    if (y0 < -radius && y1 < -radius && y2 < -radius) return false;
    return true;
}

// The same test from the triangle's extremes, for callers that try several
// balls against one triangle. Rounding is monotone, so every Vi.x - c.x > r
// exactly when minX - c.x > r (and so on): for finite vertices the answers
// agree bit for bit. Only for those: a NaN vertex drops out of the extremes
// (its comparisons are false), where the test above keeps the triangle in.
// Level vertices are whole file units times 1.5, always finite.
struct TriangleBounds {
    double minX, maxX, minY, maxY;
};

inline TriangleBounds boundsOf(const Vec2 triangle[3]) {
    TriangleBounds b;
    b.minX = b.maxX = triangle[0].x;
    b.minY = b.maxY = triangle[0].y;
    for (int i = 1; i < 3; ++i) {
        if (triangle[i].x < b.minX) b.minX = triangle[i].x;
        if (triangle[i].x > b.maxX) b.maxX = triangle[i].x;
        if (triangle[i].y < b.minY) b.minY = triangle[i].y;
        if (triangle[i].y > b.maxY) b.maxY = triangle[i].y;
    }
    return b;
}

inline bool overlapsBounds(const TriangleBounds& b, const Vec2& centre, double radius) {
    return !(b.minX - centre.x > radius || b.maxX - centre.x < -radius ||
             b.minY - centre.y > radius || b.maxY - centre.y < -radius);
}

// The extremes of the three ball centres and the largest radius. A triangle
// farther than that radius beyond them on one side is beyond every ball:
// minX - maxX > radius implies minX - c.x > r for each ball, rounding being
// monotone, so skipping it changes nothing. (A NaN centre, which this may
// overlook, collides with nothing anyway.)
struct BallReach {
    double minX, maxX, minY, maxY, radius;
};

inline BallReach reachOf(const World& w) {
    BallReach r{w.position[0].x, w.position[0].x, w.position[0].y, w.position[0].y, w.radius[0]};
    for (int b = 1; b < kBallCount; ++b) {
        const Vec2& p = w.position[b];
        if (p.x < r.minX) r.minX = p.x;
        if (p.x > r.maxX) r.maxX = p.x;
        if (p.y < r.minY) r.minY = p.y;
        if (p.y > r.maxY) r.maxY = p.y;
        if (w.radius[b] > r.radius) r.radius = w.radius[b];
    }
    return r;
}

inline bool mayReachAny(const TriangleBounds& b, const BallReach& r) {
    return !(b.minX - r.maxX > r.radius || b.maxX - r.minX < -r.radius ||
             b.minY - r.maxY > r.radius || b.maxY - r.minY < -r.radius);
}

// Probes the edge a -> b for the ball centre. When the perpendicular foot lies
// on the segment (ends inclusive) it writes the distance to the edge's line,
// the foot point and the unit normal towards the centre (each optional output
// only when non-null) and returns true; otherwise it writes nothing.
bool projectOnEdge(const Vec2& centre, const Vec2& a, const Vec2& b, double& distance,
                   Vec2* closest, Vec2* normal);

// Resolves ball ballIndex (its current position passed by value as centre)
// against triangle[0..2]. Returns true when the caller is to take newPosition
// and normal. Records touched edges in contacts; the motion check may put the
// ball back to w.previousPosition and halve its w.velocity.
bool collideBallTriangle(const Vec2 triangle[3], Vec2 centre, double radius, Vec2& newPosition,
                         Vec2& normal, int ballIndex, int triangleIndex, World& w,
                         ContactList& contacts);

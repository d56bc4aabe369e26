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

// Collision of one ball with one level triangle: edge and vertex contacts,
// the corrected position and normal, and the motion check.
#pragma once

#include "sim/contact_list.h"
#include "sim/vec2.h"
#include "sim/world.h"

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

// One record-mode frame of physics: three substeps of pull, gravity, motion,
// distance constraints and collisions, then velocity = frame displacement.
#pragma once

#include "sim/contact_list.h"
#include "sim/world.h"

void stepSimulation(World& w, const Level& l, ContactList& contacts);

// The camera's point: 67 % of the way from the body ball to the wheels'
// midpoint.
Vec2 centrePoint(const Vec2 p[kBallCount]);

// One substep's collisions: every ball against every triangle, triangle-major,
// each call taking the ball's position as the previous call left it.
void collideWithLevel(World& w, const Level& l, ContactList& contacts);

// The game's frame: the global World, Level and ContactList.
inline void stepSimulation() { stepSimulation(world, level, contactList); }

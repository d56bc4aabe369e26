// Storage of the run-wide World and Level, and the World's starting values.
#include "sim/world.h"

#include <cstring>

World world;
Level level;

void initialiseWorld(World& w) {
    w.radius[0] = 10;
    w.radius[1] = 15;
    w.radius[2] = 15;
    w.restLength[0] = 100;
    w.restLength[1] = 100;
    w.restLength[2] = 100;
    w.selectedWheel = 1;
    w.previousSelectedWheel = w.selectedWheel;
    w.position[0] = Vec2(200, 100);
    w.position[1] = Vec2(100, 200);
    w.position[2] = Vec2(300, 200);
    w.mass[0] = 3;
    w.mass[1] = 10;
    w.mass[2] = 10;
    w.velocity[0] = Vec2(10, 0);
    w.velocity[1] = Vec2(0, 0);
    w.velocity[2] = Vec2(0, 0);
    w.previousCentre = w.centre;
    for (int i = 0; i < kBallCount; ++i) w.previousPosition[i] = w.position[i];
}

void takeEndOfFrameCopy(World& w) {
    w.previousSelectedWheel = w.selectedWheel;
    w.previousCentre = w.centre;
    for (int i = 0; i < kBallCount; ++i) w.previousPosition[i] = w.position[i];
}

void resetSimulationState(World& w, Level& l) {
    std::memset(static_cast<void*>(&w), 0, sizeof w);
    std::memset(static_cast<void*>(&l), 0, sizeof l);
}

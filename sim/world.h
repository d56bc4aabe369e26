// The one simulation state of a run: the bike's three balls, the gravity, the
// centre point and contact data (World), and the level's triangles (Level).
// Both are plain global data; only top-level steps touch the globals.
#pragma once

#include <cstdint>

#include "sim/vec2.h"

constexpr int kBallCount = 3;          // ball 0 body, ball 1 wheel 1, ball 2 wheel 2
constexpr int kMaxTriangles = 5000;    // capacity of the level storage
constexpr int kMaxVertices = 3 * kMaxTriangles;

struct World {
    Vec2 position[kBallCount];          // centre of each ball, world units
    Vec2 previousPosition[kBallCount];  // position at the end of the last frame (start of this one)
    Vec2 velocity[kBallCount];          // world units per frame
    double radius[kBallCount];          // 10, 15, 15
    double mass[kBallCount];            // 3, 10, 10
    double restLength[kBallCount];      // constraint k joins ball k and ball (k + 1) % 3
    Vec2 gravity;                       // world units per frame per frame
    Vec2 centre;                        // 67 % of the way from body ball to the wheels' midpoint; camera target
    Vec2 previousCentre;                // centre at the end of the last frame
    bool contactFlag[kBallCount];       // ball touched the level in this record-mode frame
    Vec2 contactNormal[kBallCount];     // normal of the ball's last reported contact (never cleared)
    int32_t selectedWheel;              // 1 or 2: the wheel the controls drive
    int32_t previousSelectedWheel;      // selectedWheel at the end of the last frame
    int32_t frameCounter;               // frames completed so far
    int32_t recordMode;                 // 1 live run, 0 playback
};

// Triangle t uses vertex slots 3t, 3t + 1, 3t + 2; entries at and beyond
// triangleCount are never read.
struct Level {
    int32_t triangleCount;              // triangles in use; <= 0 means an empty level
    Vec2 vertices[kMaxVertices];        // world units (file units x 1.5)
};

extern World world;
extern Level level;

// The gravity a run starts with, set before any file is opened.
constexpr double kInitialGravityY = 0.4;

// Sets every World field but gravity, recordMode and frameCounter to its
// starting value, in the documented order (radius ... previousPosition).
void initialiseWorld(World& w);

// The end-of-frame copy: position, centre and selected wheel into their
// previous-frame fields, on which the next erase pass and the next
// simulation step rely. The scene takes it after its colour pass; a frame
// that draws nothing takes it in the scene's place.
void takeEndOfFrameCopy(World& w);

// Returns World and Level to the all-zero state of program load. For tools,
// tests and fuzzers that run several sessions in one process.
void resetSimulationState(World& w, Level& l);

// Second half of every frame step: window events, presenting, the busy-wait
// pacing on the tick counter, the game clock and the boost refill.
#pragma once

#include <cstdint>

class Display;

constexpr uint32_t kFramePeriodMs = 16;    // at least this much tick counter per frame
constexpr int32_t kGameClockStep = 33;     // game-clock ms per frame step, however long it took
constexpr int32_t kBoostRefillDelay = 3000;
constexpr int32_t kFullBoostEnergy = 1000;

// Drains SDL's event queue; returns true when a quit event was among them.
bool drainEvents();

// Spins on getTickCount() until 16 ms have passed since lastTick (unsigned
// difference, so the counter's wrap is waited through like any other
// millisecond). No wait when lastTick is all bits set (no frame yet).
void waitForFramePeriod(uint32_t lastTick);

// Game clock + 33, then the refill once 3000 ms have passed since the last boost.
void advanceGameClock(int32_t& gameClock, int32_t& boostEnergy, int32_t lastBoostTime);

// Events (clearing *display.running on quit), present, pace, clock, refill,
// and the new lastTick.
void finishFrameStep(Display& display);

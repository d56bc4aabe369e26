// Event polling and frame pacing.
#include "input/pacing.h"

#include <SDL.h>

#include "display/display.h"
#include "platform/ticks.h"
#include "sim/wrapping.h"

bool drainEvents() {
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (event.type == SDL_QUIT) quit = true;
    return quit;
}

void waitForFramePeriod(uint32_t lastTick) {
    if (lastTick == 0xFFFFFFFFu) return;
    // The time passed, not the reading, is compared: the unsigned difference
    // is right across the counter's wrap, so a process descheduled over the
    // wrap does not spin until the counter comes round again (49.7 days).
    while (getTickCount() - lastTick < kFramePeriodMs) {
    }
}

void advanceGameClock(int32_t& gameClock, int32_t& boostEnergy, int32_t lastBoostTime) {
    gameClock = wrappingAdd(gameClock, kGameClockStep);
    if (gameClock > wrappingAdd(lastBoostTime, kBoostRefillDelay)) boostEnergy = kFullBoostEnergy;
}

void finishFrameStep(Display& display) {
    if (drainEvents()) *display.running = false;
    display.present();
    if (display.paced) waitForFramePeriod(display.lastTick);
    advanceGameClock(display.gameClock, display.boostEnergy, display.lastBoostTime);
    display.lastTick = getTickCount();
}

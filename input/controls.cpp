// The keyboard controls of a live run, applied once per frame step in a fixed
// row order, and the f key's fast-forward of a playback.
#include "input/controls.h"

#include <SDL.h>

#include <cstring>

#include "display/display.h"
#include "sim/wrapping.h"

namespace {

constexpr int32_t kRotateLockMs = 500;       // a rotate impulse at most once per this much game clock
constexpr int32_t kBoostRotateDelayMs = 400;  // a boost holds the rotate lock this much longer
constexpr int32_t kBoostCost = 150;
constexpr double kDrivePush = 1.5;
constexpr double kRotatePush = 8;
constexpr double kBrakeFactor = 0.2;
constexpr double kBoostPush = 35;
constexpr double kShiftStep = 5;
constexpr int kOneShotKeyLimit = 256;  // entries below this are cleared after each step
constexpr int kFastForwardSkips = 3;

bool rotateAllowed(const Display& d) {
    return d.lastRotateTime == -1 || d.gameClock > wrappingAdd(d.lastRotateTime, kRotateLockMs);
}

// Unit vector along the clockwise quarter turn of the ball's offset from the centre.
Vec2 tangent(const World& w, int ball) {
    Vec2 t = perpendicular(w.position[ball] - w.centre, 1);
    normalise(t);
    return t;
}

Vec2 towardCentre(const World& w) {
    Vec2 d = w.centre - w.position[0];
    normalise(d);
    return d;
}

void markBoost(Display& d) {
    d.lastRotateTime = wrappingAdd(d.gameClock, kBoostRotateDelayMs);
    d.lastBoostTime = d.gameClock;
    d.boostEnergy = wrappingAdd(d.boostEnergy, -kBoostCost);  // may go below zero: the test is only > 0
}

// The shift keys move one coordinate only: adding 0.0 to the other would
// turn a -0.0 there into +0.0, and the replay would record it.
void stopAndShift(World& w, double Vec2::*coordinate, double step) {
    for (int i = 0; i < kBallCount; ++i) {
        w.velocity[i] = Vec2(0, 0);
        w.position[i].*coordinate += step;
    }
}

}  // namespace

void applyControls(uint8_t* keys, World& w, Display& display) {
    if (keys[SDLK_UP] && w.contactFlag[w.selectedWheel]) {
        int selected = w.selectedWheel;
        int other = selected == 1 ? 2 : 1;
        double s = selected == 1 ? 1 : -1;
        w.velocity[selected] += perpendicular(w.contactNormal[selected], kDrivePush) * s;
        w.velocity[other] += w.contactNormal[selected];
    }
    if (keys[SDLK_LEFT] && rotateAllowed(display)) {
        for (int i = 0; i < kBallCount; ++i) w.velocity[i] -= tangent(w, i) * kRotatePush;
        display.lastRotateTime = display.gameClock;
    }
    if (keys[SDLK_RIGHT] && rotateAllowed(display)) {
        for (int i = 0; i < kBallCount; ++i) w.velocity[i] += tangent(w, i) * kRotatePush;
        display.lastRotateTime = display.gameClock;
    }
    if (keys[SDLK_DOWN]) {
        if (w.contactFlag[1]) w.velocity[1] *= kBrakeFactor;
        if (w.contactFlag[2]) w.velocity[2] *= kBrakeFactor;
    }
    if (keys[SDLK_q] && display.boostEnergy > 0) {
        w.velocity[0] += towardCentre(w) * kBoostPush;
        markBoost(display);
    }
    if (keys[SDLK_e] && display.boostEnergy > 0) {
        w.velocity[0] -= towardCentre(w) * kBoostPush;
        markBoost(display);
    }
    // Uses the gravity the previous frame step chose: the shift row comes after.
    if (keys[SDLK_RETURN])
        for (int k = 0; k < kBallCount; ++k) w.velocity[k] += (w.position[k] - w.centre) - w.gravity * 3;
    w.gravity = keys[SDLK_LSHIFT] ? Vec2(0, 0) : Vec2(0, kInitialGravityY);
    if (keys[SDLK_a]) stopAndShift(w, &Vec2::x, -kShiftStep);
    if (keys[SDLK_d]) stopAndShift(w, &Vec2::x, kShiftStep);
    if (keys[SDLK_w]) stopAndShift(w, &Vec2::y, -kShiftStep);
    if (keys[SDLK_s]) stopAndShift(w, &Vec2::y, kShiftStep);
    if (keys[SDLK_SPACE]) w.selectedWheel = w.selectedWheel == 1 ? 2 : 1;

    // One-shot keys act once per press: the next key-down event sets them
    // again. The movement keys and everything from 256 on (arrows, shift)
    // stay as SDL keeps them, so they act while held.
    const uint8_t held[] = {keys[SDLK_a], keys[SDLK_d], keys[SDLK_s], keys[SDLK_w]};
    std::memset(keys, 0, kOneShotKeyLimit);
    keys[SDLK_a] = held[0];
    keys[SDLK_d] = held[1];
    keys[SDLK_s] = held[2];
    keys[SDLK_w] = held[3];
}

void fastForward(const uint8_t* keys, RecordSkipper* playback) {
    if (keys[SDLK_f] && playback) playback->skipRecords(kFastForwardSkips);
}

void releaseAllKeys() {
    int count = 0;
    uint8_t* keys = SDL_GetKeyState(&count);
    std::memset(keys, 0, static_cast<std::size_t>(count));
}

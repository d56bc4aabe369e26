// The keyboard controls of a live run, driven through SDL's own key-state
// array and the Display's real frame step, so the rotate lock, boosts and
// refill are timed by the game clock exactly as in the game.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <memory>
#include <vector>

#include "display/display.h"
#include "tools/replays/surface.h"
#include "input/controls.h"
#include "input/frame_step.h"

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        int count = 0;
        keys = SDL_GetKeyState(&count);
        keyCount = count;
        ASSERT_GE(keyCount, static_cast<int>(SDLK_LSHIFT) + 1);
        surface = createScreenSurface();
        ASSERT_NE(surface, nullptr);
        startFresh();
    }

    // A new Display (clock 0, no rotate yet, full energy) and World, no key held.
    void startFresh() {
        for (int k = 0; k < keyCount; ++k) keys[k] = 0;
        display = std::make_unique<Display>(surface.get(), nullptr, &running);

        w = World{};
        w.recordMode = 1;
        w.gravity = Vec2(0, kInitialGravityY);
        initialiseWorld(w);
        // Body ball straight above the centre point, wheel 2 to its right and
        // wheel 1 to its left: every turn and kick below is exact.
        w.centre = Vec2(200, 200);
    }
    void TearDown() override {
        for (int k = 0; k < keyCount; ++k) keys[k] = 0;
        display.reset();
        surface.reset();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void step() { frameStep(*display, w, nullptr); }
    void zeroVelocities() {
        for (auto& v : w.velocity) v = Vec2(0, 0);
    }

    uint8_t* keys = nullptr;
    int keyCount = 0;
    SurfacePtr surface;
    bool running = true;
    std::unique_ptr<Display> display;
    World w;
};

}  // namespace

TEST_F(Controls, HeldTurnKeysActInEverySixteenthFrameStep) {
    // LEFT alone, then LEFT and RIGHT together: RIGHT always finds the lock
    // that LEFT has just set, so both turn the same way at the same steps.
    for (bool withRight : {false, true}) {
        startFresh();
        keys[SDLK_LEFT] = 1;
        keys[SDLK_RIGHT] = withRight ? 1 : 0;
        std::vector<int> acted;
        for (int n = 1; n <= 40; ++n) {
            Vec2 before = w.velocity[2];
            step();
            if (w.velocity[2] != before) acted.push_back(n);
        }
        EXPECT_EQ(acted, (std::vector<int>{1, 17, 33})) << "with RIGHT: " << withRight;
        // Counter-clockwise on the screen: right of the centre goes up, left
        // goes down, above goes left.
        EXPECT_EQ(w.velocity[2], Vec2(0, -24));
        EXPECT_EQ(w.velocity[1], Vec2(0, 24));
        EXPECT_EQ(w.velocity[0], Vec2(10 - 24, 0));
        EXPECT_EQ(keys[SDLK_LEFT], 1) << "arrow keys stay held";
    }
}

TEST_F(Controls, BoostsSpendEnergyAndHoldTheRotateLock) {
    // Energy 151: q and e both act in one step and cancel.
    display->boostEnergy = 151;
    keys[SDLK_q] = 1;
    keys[SDLK_e] = 1;
    step();
    EXPECT_EQ(w.velocity[0], Vec2(10, 0));
    EXPECT_EQ(display->boostEnergy, 151 - 300);
    EXPECT_EQ(display->lastRotateTime, 400);
    EXPECT_EQ(display->lastBoostTime, 0);
    EXPECT_EQ(keys[SDLK_q], 0);
    EXPECT_EQ(keys[SDLK_e], 0);

    // Energy 100: only q acts, towards the centre point, and leaves -50;
    // after that neither key does anything.
    display->boostEnergy = 100;
    int32_t clock = display->gameClock;
    keys[SDLK_q] = 1;
    keys[SDLK_e] = 1;
    step();
    EXPECT_EQ(w.velocity[0], Vec2(10, 35));
    EXPECT_EQ(display->boostEnergy, -50);
    EXPECT_EQ(display->lastRotateTime, clock + 400);
    keys[SDLK_q] = 1;
    keys[SDLK_e] = 1;
    step();
    EXPECT_EQ(w.velocity[0], Vec2(10, 35));
    EXPECT_EQ(display->boostEnergy, -50);

    // The boost's rotate lock: held LEFT first acts 28 frame steps after the
    // boost's own (the one two steps back).
    keys[SDLK_LEFT] = 1;
    int firstTurn = 0;
    for (int n = 2; n <= 40 && firstTurn == 0; ++n) {
        Vec2 before = w.velocity[2];
        step();
        if (w.velocity[2] != before) firstTurn = n;
    }
    EXPECT_EQ(firstTurn, 28);
}

TEST_F(Controls, EnergyRefillsInTheNinetyFirstFrameStepOfTheBoost) {
    keys[SDLK_q] = 1;
    step();
    EXPECT_EQ(display->boostEnergy, 850) << "one press, one boost";
    for (int n = 2; n <= 90; ++n) step();
    EXPECT_EQ(display->boostEnergy, 850);
    step();
    EXPECT_EQ(display->boostEnergy, 1000);
}

TEST_F(Controls, DriveAndBrakeOnlyWheelsInContact) {
    zeroVelocities();
    w.contactNormal[1] = Vec2(0, -1);
    w.contactNormal[2] = Vec2(0, -1);
    keys[SDLK_UP] = 1;
    keys[SDLK_DOWN] = 1;
    // Only the unselected wheel touches: neither drive nor brake changes anything.
    w.contactFlag[2] = true;
    w.velocity[1] = Vec2(4, 4);
    step();
    EXPECT_EQ(w.velocity[1], Vec2(4, 4));
    EXPECT_EQ(w.velocity[2], Vec2(0, 0));

    // SPACE with UP: the wheel selected before the swap is driven.
    w.contactFlag[1] = true;
    w.contactFlag[2] = false;
    keys[SDLK_DOWN] = 0;
    zeroVelocities();
    keys[SDLK_SPACE] = 1;
    step();
    EXPECT_EQ(w.selectedWheel, 2);
    EXPECT_EQ(w.velocity[1], Vec2(1.5, 0));
    EXPECT_EQ(w.velocity[2], Vec2(0, -1));
    EXPECT_EQ(keys[SDLK_SPACE], 0);

    // Wheel 2 selected and touching drives the other way.
    w.contactFlag[2] = true;
    zeroVelocities();
    step();
    EXPECT_EQ(w.velocity[2], Vec2(-1.5, 0));
    EXPECT_EQ(w.velocity[1], Vec2(0, -1));

    // Braking scales touching wheels only; the body ball never.
    keys[SDLK_UP] = 0;
    keys[SDLK_DOWN] = 1;
    w.contactFlag[0] = true;
    w.contactFlag[1] = false;
    w.velocity[0] = Vec2(5, 5);
    w.velocity[1] = Vec2(5, 5);
    w.velocity[2] = Vec2(5, 5);
    step();
    EXPECT_EQ(w.velocity[0], Vec2(5, 5));
    EXPECT_EQ(w.velocity[1], Vec2(5, 5));
    EXPECT_EQ(w.velocity[2], Vec2(0.2 * 5, 0.2 * 5));
}

TEST_F(Controls, ReturnUsesTheGravityOfThePreviousFrameStep) {
    zeroVelocities();
    keys[SDLK_LSHIFT] = 1;
    keys[SDLK_RETURN] = 1;
    step();  // first step of the shift hold: gravity was still (0, 0.4)
    EXPECT_EQ(w.velocity[2], Vec2(100, 0 - 0.4 * 3));
    EXPECT_EQ(w.velocity[0], Vec2(0, -100 - 0.4 * 3));
    EXPECT_EQ(w.gravity, Vec2(0, 0));
    EXPECT_EQ(keys[SDLK_RETURN], 0);

    keys[SDLK_RETURN] = 1;
    step();  // shift held since the last step: no gravity term
    EXPECT_EQ(w.velocity[2], Vec2(200, 0 - 0.4 * 3));
    EXPECT_EQ(w.gravity, Vec2(0, 0));

    keys[SDLK_LSHIFT] = 0;
    step();
    EXPECT_EQ(w.gravity, Vec2(0, kInitialGravityY));
}

TEST_F(Controls, OppositeShiftKeysCancelEveryStepAndStopTheBike) {
    keys[SDLK_a] = 1;
    keys[SDLK_d] = 1;
    Vec2 start[kBallCount] = {w.position[0], w.position[1], w.position[2]};
    for (int n = 0; n < 3; ++n) {
        w.velocity[1] = Vec2(3, 3);
        step();
        for (int i = 0; i < kBallCount; ++i) {
            EXPECT_EQ(w.position[i], start[i]);
            EXPECT_EQ(w.velocity[i], Vec2(0, 0));
        }
    }
    keys[SDLK_a] = 0;
    keys[SDLK_w] = 1;
    step();
    EXPECT_EQ(w.position[0], start[0] + Vec2(5, -5));
}

TEST_F(Controls, ShiftKeysChangeOnlyTheNamedCoordinate) {
    // The other coordinate keeps its very bits: a -0.0 stays -0.0, which
    // the replay records.
    for (SDLKey key : {SDLK_a, SDLK_d, SDLK_w, SDLK_s}) {
        startFresh();
        for (auto& p : w.position) p = Vec2(-0.0, -0.0);
        keys[key] = 1;
        step();
        const bool movesX = key == SDLK_a || key == SDLK_d;
        for (const auto& p : w.position) {
            EXPECT_TRUE(std::signbit(movesX ? p.y : p.x)) << "key " << key;
            EXPECT_EQ(std::fabs(movesX ? p.x : p.y), 5.0) << "key " << key;
        }
    }
}

TEST_F(Controls, RowsActInTheirOrderWithinOneFrameStep) {
    // UP and DOWN on the touching selected wheel: the push, then the brake.
    zeroVelocities();
    w.contactFlag[1] = true;
    w.contactNormal[1] = Vec2(0, -1);
    w.velocity[1] = Vec2(10, 0);
    keys[SDLK_UP] = 1;
    keys[SDLK_DOWN] = 1;
    step();
    EXPECT_EQ(w.velocity[1], Vec2((10 + 1.5) * 0.2, 0));

    // q and LEFT: the turn first, then the kick, which holds the lock on.
    startFresh();
    zeroVelocities();
    keys[SDLK_q] = 1;
    keys[SDLK_LEFT] = 1;
    step();
    EXPECT_EQ(w.velocity[0], Vec2(-8, 35));
    EXPECT_EQ(w.velocity[1], Vec2(0, 8));
    EXPECT_EQ(display->lastRotateTime, 400);
}

TEST_F(Controls, OneShotKeysAreClearedAndHeldKeysKept) {
    for (int k = 0; k < keyCount; ++k) keys[k] = 1;
    step();
    for (int k = 0; k < keyCount; ++k) {
        bool kept = k >= 256 || k == SDLK_a || k == SDLK_d || k == SDLK_s || k == SDLK_w;
        EXPECT_EQ(keys[k], kept ? 1 : 0) << "key " << k;
    }
}

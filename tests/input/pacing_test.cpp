// Frame pacing on an injected tick counter, the game clock and the refill.
#include <gtest/gtest.h>

#include <cstdint>

#include "input/pacing.h"
#include "platform/ticks.h"

namespace {

// A tick counter that moves one millisecond per reading from a set start.
// A wait that would spin for more than a minute of it is a hang: the
// counter then jumps to all bits set, which ends any wait, and says so.
uint32_t fakeNow = 0;
int fakeReads = 0;
bool fakeSpun = false;
constexpr int kHangReads = 60000;
uint32_t fakeTicks() {
    if (++fakeReads > kHangReads) {
        fakeSpun = true;
        return 0xFFFFFFFFu;
    }
    return fakeNow++;
}

class Pacing : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = setTickSource(fakeTicks);
        fakeReads = 0;
        fakeSpun = false;
    }
    void TearDown() override { setTickSource(previous_); }

    // Waits after lastTick with the counter at start; returns the reading that ended the wait.
    uint32_t waitFrom(uint32_t lastTick, uint32_t start) {
        fakeNow = start;
        fakeReads = 0;
        waitForFramePeriod(lastTick);
        return fakeNow - 1;
    }

private:
    TickSource previous_ = nullptr;
};

}  // namespace

TEST_F(Pacing, FirstFrameDoesNotWait) {
    fakeNow = 5;
    waitForFramePeriod(0xFFFFFFFFu);
    EXPECT_EQ(fakeReads, 0);
}

TEST_F(Pacing, WaitsUntilSixteenMillisecondsHavePassed) {
    EXPECT_EQ(waitFrom(1000, 1001), 1016u);
    EXPECT_EQ(fakeReads, 16);
}

TEST_F(Pacing, ALateFrameDoesNotWait) {
    EXPECT_EQ(waitFrom(1000, 1016), 1016u);
    EXPECT_EQ(fakeReads, 1);
    EXPECT_EQ(waitFrom(1000, 5000), 5000u);
    EXPECT_EQ(fakeReads, 1);
}

TEST_F(Pacing, WaitsSixteenMillisecondsAcrossTheCounterWrap) {
    // lastTick + 16 wraps to 5; the wait still lasts 16 ms of the counter.
    EXPECT_EQ(waitFrom(0xFFFFFFF5u, 0xFFFFFFF6u), 5u);
    EXPECT_EQ(fakeReads, 16);
}

TEST_F(Pacing, ReadingPastTheWrapAfterADescheduleDoesNotHang) {
    // The last reading was 32 ms before the wrap; the process was away for
    // 40 ms and next reads 8 past it. Comparing the reading with
    // lastTick + 16 would spin until the counter came round again, 49.7
    // days later.
    EXPECT_EQ(waitFrom(0xFFFFFFE0u, 8), 8u);
    EXPECT_EQ(fakeReads, 1);
    EXPECT_FALSE(fakeSpun);
}

TEST_F(Pacing, WrapOfTheCounterItselfIsWaitedThrough) {
    // Target 10 after the counter wraps from a reading just below it.
    EXPECT_EQ(waitFrom(0xFFFFFFFAu, 0), 10u);
}

TEST(GameClock, AdvancesThirtyThreePerFrameStep) {
    int32_t clock = 0;
    int32_t energy = 1000;
    for (int i = 0; i < 250; ++i) advanceGameClock(clock, energy, 0);
    EXPECT_EQ(clock, 33 * 250);
}

TEST(GameClock, RefillsOnTheNinetyFirstFrameStepAfterABoost) {
    int32_t clock = 330;         // the boost happened at this game clock
    int32_t lastBoost = clock;
    int32_t energy = -50;
    // The boost's own frame step is the first of the 91.
    for (int step = 1; step <= 90; ++step) {
        advanceGameClock(clock, energy, lastBoost);
        ASSERT_EQ(energy, -50) << "refilled early at frame step " << step;
    }
    advanceGameClock(clock, energy, lastBoost);
    EXPECT_EQ(energy, 1000);
    EXPECT_EQ(clock - lastBoost, 91 * 33);
}

TEST(GameClock, WrapsAtTheEndOfItsRangeAndStillRefills) {
    // As the machine's 32-bit arithmetic does: the clock wraps to the most
    // negative values, and so does lastBoostTime + 3000.
    int32_t clock = INT32_MAX - 10;
    int32_t energy = -50;
    advanceGameClock(clock, energy, INT32_MAX - 5);
    EXPECT_EQ(clock, INT32_MIN + 22);
    EXPECT_EQ(energy, -50);  // INT32_MIN + 22 is not above INT32_MIN + 2994
    advanceGameClock(clock, energy, INT32_MAX - 2960);
    EXPECT_EQ(energy, 1000);  // INT32_MIN + 55 is above INT32_MIN + 39
}

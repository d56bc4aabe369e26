// The main loop's own counting: the level reload every 1000 frames and the
// frame counter at the end of its 32-bit range.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <sstream>

#include "sim/world.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"
#include "tools/replays/headless_run.h"

namespace {

std::unique_ptr<ReplayWriter> memoryWriter() {
    return std::make_unique<ReplayWriter>(std::make_unique<std::ostringstream>(), "memory.rec");
}

}  // namespace

TEST(FrameLoop, ARewrittenLevelTakesEffectAtFrameOneThousandAndNotBefore) {
    TempDir dir;
    const std::string path = dir.file("0.lev");
    writeFile(path, floorLevelBytes());
    HeadlessGame game;
    ASSERT_EQ(game.startRecord(path, memoryWriter()), "");
    game.run().drawing = false;
    game.runFrame();  // frame 0 reloads the floor
    const int32_t floor = level.triangleCount;
    ASSERT_GT(floor, 0);
    writeFile(path, std::string(4, '\0'));  // an empty level from now on
    while (game.framesRun() < 1000) {
        game.runFrame();
        ASSERT_EQ(level.triangleCount, floor) << "reloaded in frame " << game.framesRun() - 1;
    }
    game.runFrame();
    EXPECT_EQ(level.triangleCount, 0);
}

TEST(FrameLoop, FrameCounterWrapsLikeTheMachinesArithmetic) {
    TempDir dir;
    writeFile(dir.file("0.lev"), floorLevelBytes());
    HeadlessGame game;
    ASSERT_EQ(game.startRecord(dir.file("0.lev"), memoryWriter()), "");
    world.frameCounter = std::numeric_limits<int32_t>::max();
    game.runFrame();
    EXPECT_EQ(world.frameCounter, std::numeric_limits<int32_t>::min());
    game.runFrame();  // -2147483648 is no multiple of 1000: no reload, just the next frame
    EXPECT_EQ(world.frameCounter, std::numeric_limits<int32_t>::min() + 1);
}

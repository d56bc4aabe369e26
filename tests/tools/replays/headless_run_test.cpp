// Headless runs against the game's own loop: a rendered frame is the picture
// runFrame leaves after that many replay frames, a drive is the record loop
// with the keys written where the event drain would put them, and both are
// repeatable.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "app/game.h"
#include "tools/replays/headless_run.h"
#include "display/display.h"
#include "tools/output/png_file.h"
#include "tools/replays/surface.h"
#include "sim/contact_list.h"
#include "sim/world.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

const char* const kScript =
    "# drive right, swap wheels once, boost, push apart, rotate\n"
    "0 press up\n"
    "60 press space\n61 release space\n"
    "90 press q\n91 release q\n"
    "120 press return\n121 release return\n"
    "130 press lshift\n150 release lshift\n"
    "150 press left\n170 release left\n"
    "200 release up\n";

KeyScript script() {
    KeyScript s;
    std::string error;
    std::istringstream in(kScript);
    EXPECT_TRUE(parseKeyScript(in, "test.keys", s, error)) << error;
    return s;
}

// The game's startup, written out here: program-load globals, the level, an
// off-screen Display, the World's starting values.
struct GameLoop {
    SurfacePtr surface;
    std::unique_ptr<Display> display;
    RunState run;

    GameLoop(int32_t recordMode, const std::string& levelPath) {
        resetSimulationState(world, level);
        contactList.clear();
        int count = 0;
        uint8_t* keys = SDL_GetKeyState(&count);
        std::memset(keys, 0, static_cast<std::size_t>(count));
        world.recordMode = recordMode;
        world.gravity = Vec2(0, kInitialGravityY);
        std::ifstream in(levelPath, std::ios::binary);
        EXPECT_EQ(LevelLoader::readWhole(in, level), "");
        run.reloadPath = levelPath;
        surface = createScreenSurface();
        display = std::make_unique<Display>(surface.get(), nullptr, &run.running);
        initialiseWorld(world);
    }
    ~GameLoop() {
        run.writer.reset();
        display.reset();
    }
};

std::vector<double> positionsOf(const World& w) {
    return {w.position[0].x, w.position[0].y, w.position[1].x, w.position[1].y,
            w.position[2].x, w.position[2].y, w.centre.x,      w.centre.y};
}

class HeadlessRun : public ::testing::Test {
protected:
    void SetUp() override {
        levelPath = dir.file("floor.lev");
        writeFile(levelPath, floorLevelBytes());
        replayPath = dir.file("drive.rec");
        ASSERT_EQ(driveToFile(levelPath, script(), 260, replayPath), "");
    }

    TempDir dir;
    std::string levelPath;
    std::string replayPath;
};

}  // namespace

TEST_F(HeadlessRun, DriveIsTheRecordLoopWithTheKeysBeforeEachFrameStep) {
    std::string file = readFile(replayPath);
    ASSERT_EQ(file.size(), 260u * 64);

    // The same run by hand: each frame's events go into SDL's key-state array
    // before runFrame, so the frame's controls are the first to read them.
    // The drive skips the drawing; this loop draws every frame.
    std::map<int32_t, std::vector<std::pair<SDLKey, uint8_t>>> events = {
        {0, {{SDLK_UP, 1}}},
        {60, {{SDLK_SPACE, 1}}},  {61, {{SDLK_SPACE, 0}}},
        {90, {{SDLK_q, 1}}},                 {91, {{SDLK_q, 0}}},
        {120, {{SDLK_RETURN, 1}}}, {121, {{SDLK_RETURN, 0}}},
        {130, {{SDLK_LSHIFT, 1}}}, {150, {{SDLK_LSHIFT, 0}, {SDLK_LEFT, 1}}},
        {170, {{SDLK_LEFT, 0}}},   {200, {{SDLK_UP, 0}}},
    };
    GameLoop game(1, levelPath);
    auto stream = std::make_unique<std::ostringstream>();
    std::ostringstream* written = stream.get();
    game.run.writer = std::make_unique<ReplayWriter>(std::move(stream), "by-hand.rec");
    std::vector<std::vector<double>> expected;
    for (int32_t frame = 0; frame < 260; ++frame) {
        for (auto [key, state] : events[frame]) SDL_GetKeyState(nullptr)[key] = state;
        runFrame(*game.display, game.run);
        expected.push_back(positionsOf(world));
    }
    EXPECT_EQ(recordsOf(file), expected);
    EXPECT_TRUE(written->str() == file);

    // It ran on the given level, not on a 0.lev of the current directory:
    // the wheels came to rest on the floor at 450, having been driven off
    // the start.
    for (int wheelY : {3, 5}) {
        EXPECT_LT(expected.back()[wheelY], 450);
        EXPECT_GT(expected.back()[wheelY], 420);
    }
    EXPECT_GT(std::fabs(expected.back()[0] - 200), 150);
}

TEST_F(HeadlessRun, PlaybackOfADriveShowsEachRecordThenEnds) {
    std::vector<std::vector<double>> records = recordsOf(readFile(replayPath));
    HeadlessGame game;
    ASSERT_EQ(game.startReplay(replayPath, levelPath), "");
    for (std::size_t i = 0; i < records.size(); ++i) {
        game.runFrame();
        ASSERT_EQ(positionsOf(world), records[i]) << "frame " << i;
    }
    game.runFrame();
    EXPECT_TRUE(game.running());
    game.runFrame();
    EXPECT_FALSE(game.running());
    EXPECT_EQ(positionsOf(world), records.back());
    EXPECT_EQ(playbackFrameCount(replayPath), static_cast<int64_t>(records.size()) + 2);
}

TEST_F(HeadlessRun, SameScriptGivesTheSameFileByteForByte) {
    std::string again = dir.file("again.rec");
    ASSERT_EQ(driveToFile(levelPath, script(), 260, again), "");
    EXPECT_TRUE(readFile(again) == readFile(replayPath));

    // And an existing file is replaced whole by a shorter run.
    ASSERT_EQ(driveToFile(levelPath, script(), 10, again), "");
    EXPECT_EQ(readFile(again), readFile(replayPath).substr(0, 640));
}

TEST_F(HeadlessRun, RenderedFrameIsThePictureOfTheGamesReplayLoop) {
    for (int64_t frame : {int64_t{0}, int64_t{97}, int64_t{261}}) {
        std::string png = dir.file("frame.png");
        ASSERT_EQ(renderReplayFrame(replayPath, levelPath, frame, png), "");
        RgbImage picture;
        ASSERT_EQ(readPng(png, picture), "");
        ASSERT_EQ(picture.width, 1024);
        ASSERT_EQ(picture.height, 768);

        GameLoop game(0, levelPath);
        game.run.reader = std::make_unique<ReplayReader>(replayPath);
        for (int64_t f = 0; f <= frame; ++f) runFrame(*game.display, game.run);
        std::size_t differing = 0, lit = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                const uint8_t* rgb = &picture.pixels[(static_cast<std::size_t>(y) * 1024 + x) * 3];
                uint32_t p = pixelAt(game.surface.get(), x, y);
                if (rgb[0] != (p >> 16 & 255) || rgb[1] != (p >> 8 & 255) || rgb[2] != (p & 255)) ++differing;
                if (p) ++lit;
            }
        }
        EXPECT_EQ(differing, 0u) << "frame " << frame;
        EXPECT_GT(lit, 500u) << "frame " << frame;  // the level and the bike are in the picture
    }
    std::string error = renderReplayFrame(replayPath, levelPath, 262, dir.file("past.png"));
    EXPECT_EQ(error, replayPath + ": frame 262 is past the end of the playback (262 frames, 0 to 261)");
}

TEST_F(HeadlessRun, BadFilesAreNamedInTheMessage) {
    HeadlessGame game;
    EXPECT_EQ(game.startReplay(dir.file("missing.rec"), levelPath).rfind(dir.file("missing.rec") + ": ", 0), 0u);
    std::string shortLevel = dir.file("short.lev");
    writeFile(shortLevel, floorLevelBytes().substr(0, 30));
    HeadlessGame other;
    EXPECT_EQ(other.startReplay(replayPath, shortLevel).rfind(shortLevel + ": ", 0), 0u);
    EXPECT_EQ(driveToFile(levelPath, script(), 5, dir.path() + "/no/such/dir.rec")
                  .rfind(dir.path() + "/no/such/dir.rec: cannot create", 0),
              0u);
}

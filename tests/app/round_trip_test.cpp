// A live run recorded through the game's own frame, with keys played into
// SDL's key-state array, then played back: every frame of the playback shows
// the recorded positions and centre point bit for bit.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "app/game.h"
#include "app/level_file.h"
#include "tools/levels/level_bytes.h"
#include "display/display.h"
#include "tools/replays/surface.h"
#include "sim/contact_list.h"
#include "sim/world.h"
#include "tests/support/process.h"

namespace {

struct Shown {
    Vec2 position[kBallCount];
    Vec2 centre;
};

bool sameBits(const Shown& a, const Shown& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A floor under the bike's start, a ramp on its right and a block to land on.
void writeLevel(const std::string& path) {
    writeFile(path, encodeLevel({
                        FileTriangle{{-2000, 250, 2000, 250, 2000, 400}},
                        FileTriangle{{-2000, 250, 2000, 400, -2000, 400}},
                        FileTriangle{{300, 250, 700, 250, 700, 120}},
                        FileTriangle{{-400, 250, -250, 250, -320, 160}},
                    }));
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        int count = 0;
        keys = SDL_GetKeyState(&count);
        keyCount = count;
        releaseKeys();
        surface = createScreenSurface();
        ASSERT_NE(surface, nullptr);
    }
    void TearDown() override {
        releaseKeys();
        surface.reset();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        contactList.clear();
        resetSimulationState(world, level);
    }

    void releaseKeys() {
        for (int k = 0; k < keyCount; ++k) keys[k] = 0;
    }

    // The startup of either mode, on the global state the game itself uses.
    void startWorld(int32_t recordMode) {
        contactList.clear();
        resetSimulationState(world, level);
        world.recordMode = recordMode;
        world.gravity = Vec2(0, kInitialGravityY);
        initialiseWorld(world);
    }

    TempDir dir;
    uint8_t* keys = nullptr;
    int keyCount = 0;
    SurfacePtr surface;
};

// Keys pressed (1) or released (0) before the given frame; the frame step at
// the end of that frame reads them.
std::map<int, std::vector<std::pair<int, uint8_t>>> keyScript() {
    return {
        {5, {{SDLK_UP, 1}}},
        {40, {{SDLK_q, 1}}},
        {60, {{SDLK_LEFT, 1}}},
        {90, {{SDLK_LEFT, 0}, {SDLK_SPACE, 1}}},
        {120, {{SDLK_LSHIFT, 1}, {SDLK_RETURN, 1}}},
        {123, {{SDLK_RETURN, 1}}},
        {130, {{SDLK_LSHIFT, 0}, {SDLK_d, 1}}},
        {136, {{SDLK_d, 0}, {SDLK_e, 1}, {SDLK_DOWN, 1}}},
        {150, {{SDLK_DOWN, 0}, {SDLK_RIGHT, 1}, {SDLK_w, 1}}},
        {153, {{SDLK_w, 0}}},
        {200, {{SDLK_RIGHT, 0}, {SDLK_UP, 0}}},
    };
}

}  // namespace

TEST_F(RoundTrip, PlaybackShowsTheRecordedFramesBitForBit) {
    const std::string levelPath = dir.file("0.lev");
    const std::string replayPath = dir.file("run.rec");
    writeLevel(levelPath);
    constexpr int kFrames = 260;

    std::vector<Shown> recorded;
    {
        startWorld(1);
        bool ignored = true;
        Display display(surface.get(), nullptr, &ignored);
        RunState run;
        run.reloadPath = levelPath;
        run.writer = std::make_unique<ReplayWriter>(replayPath);
        ASSERT_FALSE(run.writer->failed());
        auto script = keyScript();
        for (int frame = 0; frame < kFrames; ++frame) {
            auto due = script.find(frame);
            if (due != script.end())
                for (auto [key, state] : due->second) keys[key] = state;
            runFrame(display, run);
            // The end-of-frame copy is taken after the record was written and
            // before the controls moved anything.
            Shown s;
            for (int i = 0; i < kBallCount; ++i) s.position[i] = world.previousPosition[i];
            s.centre = world.previousCentre;
            recorded.push_back(s);
        }
        ASSERT_TRUE(run.running);
        run.writer->close();
        ASSERT_FALSE(run.writer->failed());
    }
    ASSERT_EQ(std::filesystem::file_size(replayPath), kFrames * kFrameRecordSize);

    releaseKeys();
    startWorld(0);
    bool ignored = true;
    Display display(surface.get(), nullptr, &ignored);
    RunState run;
    run.reader = std::make_unique<ReplayReader>(replayPath);
    ASSERT_TRUE(run.reader->isOpen()) << run.reader->error();
    std::vector<Shown> played;
    while (run.running && played.size() < kFrames + 10) {
        runFrame(display, run);
        Shown s;
        for (int i = 0; i < kBallCount; ++i) s.position[i] = world.position[i];
        s.centre = world.centre;
        played.push_back(s);
    }
    ASSERT_EQ(played.size(), static_cast<std::size_t>(kFrames + 2));
    for (int frame = 0; frame < kFrames; ++frame)
        ASSERT_TRUE(sameBits(played[frame], recorded[frame])) << "frame " << frame;
    EXPECT_TRUE(sameBits(played[kFrames + 1], recorded[kFrames - 1]));

    // The run went somewhere: the recording is not a still picture.
    EXPECT_FALSE(sameBits(recorded.front(), recorded.back()));
}

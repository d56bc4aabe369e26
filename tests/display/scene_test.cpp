// Scene drawing: erase-and-redraw leaves exactly the current picture, the
// culling box, touched edges, the overlay and the end-of-frame copy.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <memory>
#include <random>

#include "display/display.h"
#include "display/scene.h"
#include "tools/replays/surface.h"
#include "sim/step.h"

namespace {

// First differing pixel as "(x, y)", or "" when the screens are equal.
std::string firstDifference(const SDL_Surface* a, const SDL_Surface* b) {
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if (pixelAt(a, x, y) != pixelAt(b, x, y))
                return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return "";
}

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(digits) << SDL_GetError();
        initialiseWorld(w);
        w.recordMode = 1;
    }

    void setTriangle(int32_t t, Vec2 a, Vec2 b, Vec2 c) {
        level->vertices[3 * t] = a;
        level->vertices[3 * t + 1] = b;
        level->vertices[3 * t + 2] = c;
        if (level->triangleCount <= t) level->triangleCount = t + 1;
    }

    // Puts the bike somewhere, as the previous frame's bike too.
    void placeBike(Vec2 at) {
        for (int i = 0; i < kBallCount; ++i)
            w.position[i] = w.previousPosition[i] = Vec2(at.x + 60 * i, at.y + 40 * (i % 2));
    }

    // The same state drawn once on a black screen: the previous frame equals
    // the current one there, so its erase pass is black on black.
    SurfacePtr drawnFresh(const World& state) {
        SurfacePtr fresh = createScreenSurface();
        Display d(fresh.get(), digits.get(), &running);
        World copy = state;
        for (int i = 0; i < kBallCount; ++i) copy.previousPosition[i] = copy.position[i];
        copy.previousCentre = copy.centre;
        copy.previousSelectedWheel = copy.selectedWheel;
        drawScene(d, copy, *level, contacts);
        return fresh;
    }

    SurfacePtr surface = createScreenSurface();
    SurfacePtr digits{SDL_LoadBMP(ZUNO_BINARY_DIR "/nums.bmp")};
    bool running = true;
    Display display{surface.get(), digits.get(), &running};
    std::unique_ptr<Level> level{new Level()};
    World w{};
    ContactList contacts;
};

}  // namespace

TEST_F(Scene, EraseAndRedrawLeavesExactlyTheCurrentPicture) {
    std::mt19937_64 rng(7);
    auto coordinate = [&](int range) { return 1.5 * static_cast<double>(static_cast<int64_t>(rng() % (2 * range)) - range); };
    for (int32_t t = 0; t < 300; ++t) {
        Vec2 a(coordinate(2400), coordinate(1800));
        int size = t % 10 == 0 ? 4000 : 150;
        setTriangle(t, a, Vec2(a.x + coordinate(size), a.y + coordinate(size)),
                    Vec2(a.x + coordinate(size), a.y + coordinate(size)));
    }
    std::uniform_real_distribution<double> jitter(-9.0, 9.0);
    for (int frame = 0; frame < 80; ++frame) {
        const int kind = frame % 16;
        for (int i = 0; i < kBallCount; ++i) {
            if (kind == 5) continue;  // nothing moves
            w.position[i].x += jitter(rng) + 4;
            w.position[i].y += jitter(rng) + 1;
            if (kind == 9) w.position[i].x -= 2500;  // a jump: the camera leaves every old triangle
        }
        if (kind == 12) {  // a bike sent where adding 1.0 changes nothing
            w.position[0] = Vec2(1e300, 0);
            w.position[1] = Vec2(1e300 + 3e284, 60);
            w.position[2] = Vec2(1e300 - 3e284, 60.5);
        }
        if (kind == 13) w.position[2] = Vec2(std::nan(""), 0);
        if (kind == 14) {  // back to the start
            w.position[0] = Vec2(200, 100);
            w.position[1] = Vec2(100, 200);
            w.position[2] = Vec2(300, 200);
        }
        w.centre = (w.position[0] + w.position[1] + w.position[2]) / 3;
        if (frame % 7 == 3) w.selectedWheel = 3 - w.selectedWheel;
        contacts.clear();
        for (int k = 0; k < 40; ++k) contacts.pushFront(EdgeRef{static_cast<int32_t>(rng() % 300), static_cast<int32_t>(rng() % 3)});

        drawScene(display, w, *level, contacts);
        SurfacePtr expected = drawnFresh(w);
        ASSERT_EQ(firstDifference(surface.get(), expected.get()), "") << "frame " << frame;
    }
}

TEST_F(Scene, EraseAndRedrawFollowsTheSimulatedBike) {
    // A sloped floor of small triangles under the start pose: the bike
    // lands, rolls, and its touched edges turn blue and red again.
    for (int32_t t = 0; t < 60; ++t) {
        const double x = -600 + 40.5 * t, y = 320 + 6.0 * t;
        setTriangle(t, Vec2(x, y), Vec2(x + 40.5, y + 6), Vec2(x + 20, y + 60));
    }
    w.gravity = Vec2(0, kInitialGravityY);
    std::size_t touched = 0;
    for (int frame = 0; frame < 240; ++frame) {
        contacts.clear();
        stepSimulation(w, *level, contacts);
        touched += contacts.size();
        drawScene(display, w, *level, contacts);
        if (frame % 8 != 7) continue;
        SurfacePtr expected = drawnFresh(w);
        ASSERT_EQ(firstDifference(surface.get(), expected.get()), "") << "frame " << frame;
    }
    EXPECT_GT(touched, 0u);
}

// Blacking the screen stands in for the erase only while the screen shows
// the last picture alone: a level changed between frames, pixels present
// before the first frame, or drawn between frames, stay as the erase leaves
// them.
TEST_F(Scene, EraseLeavesWhatItDoesNotRedraw) {
    placeBike(Vec2(0, 0));
    enum { pixelBeforeFirstFrame, lineBetweenFrames, levelChanged };
    for (int stale : {pixelBeforeFirstFrame, lineBetweenFrames, levelChanged}) {
        // Crowded enough that blacking the screen is the quicker erase.
        for (int32_t t = 0; t < 150; ++t)
            setTriangle(t, Vec2(-600, -300 + 4.0 * t), Vec2(600, -290 + 4.0 * t), Vec2(0, 300 - 4.0 * t));
        SurfacePtr screens[2] = {createScreenSurface(), createScreenSurface()};
        Display fast(screens[0].get(), digits.get(), &running);
        Display walked(screens[1].get(), digits.get(), &running);
        if (stale == pixelBeforeFirstFrame)
            for (auto& s : screens) reinterpret_cast<uint32_t*>(s->pixels)[700 + 500 * s->pitch / 4] = kBlue;
        World worlds[2] = {w, w};
        for (int frame = 0; frame < 8; ++frame) {
            if (stale == levelChanged && frame == 4)  // a reload
                setTriangle(3, Vec2(-300, -150), Vec2(-260, -120), Vec2(-300, -90));
            for (int k = 0; k < 2; ++k) {
                for (int i = 0; i < kBallCount; ++i) worlds[k].position[i].x += 3.25;
                worlds[k].centre = worlds[k].position[0];
                if (k == 1) walked.lastPicture.forget();
                if (stale == lineBetweenFrames && frame == 4)
                    (k == 0 ? fast : walked).drawLine(-500, -350, 500, -340, kBlue);
                drawScene(k == 0 ? fast : walked, worlds[k], *level, contacts);
            }
            ASSERT_EQ(firstDifference(screens[0].get(), screens[1].get()), "") << stale << ", frame " << frame;
        }
        EXPECT_NE(firstDifference(screens[0].get(), drawnFresh(worlds[0]).get()), "") << stale;
    }
}

TEST_F(Scene, CullingBoxIsStrict) {
    placeBike(Vec2(1e5, 1e5));
    w.centre = w.previousCentre = Vec2(0, 0);
    const double inX = std::nextafter(870.4, 0.0), inY = std::nextafter(652.8, 0.0);
    // One vertex at the box's edge or just inside; the others far away.
    // The edge from the far vertex back to it crosses the screen.
    const struct {
        Vec2 edgeVertex, far1, far2;
        int probeX, probeY;
        bool drawn;
    } cases[] = {
        {Vec2(870.4, 10), Vec2(870.4, 3000), Vec2(-3000, 10), 512, 394, false},
        {Vec2(inX, 10), Vec2(870.4, 3000), Vec2(-3000, 10), 512, 394, true},
        {Vec2(-870.4, 10), Vec2(-870.4, 3000), Vec2(3000, 10), 512, 394, false},
        {Vec2(10, 652.8), Vec2(3000, 652.8), Vec2(10, -3000), 522, 384, false},
        {Vec2(10, inY), Vec2(3000, 652.8), Vec2(10, -3000), 522, 384, true},
        {Vec2(10, -inY), Vec2(3000, -652.8), Vec2(10, 3000), 522, 384, true},
    };
    for (const auto& c : cases) {
        SDL_FillRect(surface.get(), nullptr, 0);
        setTriangle(0, c.edgeVertex, c.far1, c.far2);
        w.previousCentre = w.centre;
        drawScene(display, w, *level, contacts);
        EXPECT_EQ(pixelAt(surface.get(), c.probeX, c.probeY), c.drawn ? kRed : 0u)
            << c.edgeVertex.x << ", " << c.edgeVertex.y;
    }
}

TEST_F(Scene, TouchedEdgesAreBlueAndTheRestRed) {
    placeBike(Vec2(1e5, 1e5));
    w.centre = w.previousCentre = Vec2(0, 0);
    setTriangle(0, Vec2(-100, -100), Vec2(100, -100), Vec2(0, 100));
    contacts.pushFront(EdgeRef{0, 0});
    contacts.pushFront(EdgeRef{1, 1});  // another triangle's edge 1
    contacts.pushFront(EdgeRef{0, 0});  // listed twice: still just blue
    drawScene(display, w, *level, contacts);
    EXPECT_EQ(pixelAt(surface.get(), 512, 284), kBlue);  // edge 0, y = -100
    EXPECT_EQ(pixelAt(surface.get(), 462, 384), kRed);   // edge 2 at y = 0
    EXPECT_EQ(pixelAt(surface.get(), 562, 384), kRed);   // edge 1 at y = 0
}

TEST_F(Scene, BikeColoursAndTheSelectionMarker) {
    w.centre = w.previousCentre = Vec2(0, 0);
    w.position[0] = Vec2(0, -200);
    w.position[1] = Vec2(-300, 100);
    w.position[2] = Vec2(300, 100);
    w.selectedWheel = 2;
    drawScene(display, w, *level, contacts);
    EXPECT_EQ(pixelAt(surface.get(), 512 + 10, 384 - 200), kRed);        // body ball outline
    EXPECT_EQ(pixelAt(surface.get(), 512 - 300 + 15, 384 + 100), kBlue); // wheel 1
    EXPECT_EQ(pixelAt(surface.get(), 512 + 300 + 20, 384 + 100), 0x00FF00u);  // marker on wheel 2
    EXPECT_NE(pixelAt(surface.get(), 512 - 300 + 20, 384 + 100), 0x00FF00u);  // no marker on wheel 1
    EXPECT_EQ(pixelAt(surface.get(), 512, 384 - 100), 0x323232u);  // the body ball's spoke, half grey
    // The end-of-frame copy follows the drawing.
    EXPECT_EQ(w.previousSelectedWheel, 2);
    EXPECT_EQ(w.previousPosition[1], Vec2(-300, 100));
    EXPECT_EQ(w.previousCentre, Vec2(0, 0));
}

TEST_F(Scene, OverlayShowsTheBodyBallInScreenUnits) {
    w.centre = w.previousCentre = Vec2(0, 0);
    setTriangle(0, Vec2(-2000, -374), Vec2(2000, -374), Vec2(0, 200));  // edge 0 along screen row 10
    w.position[0] = w.previousPosition[0] = Vec2(2500.0, -10.0);
    drawScene(display, w, *level, contacts);

    SurfacePtr digitsOnly = createScreenSurface();
    Display d(digitsOnly.get(), digits.get(), &running);
    d.drawNumber(2, 0, 0);  // glyphs 0, 0, 2
    d.drawNumber(0, 100, 0);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 160; ++x)
            if (x < 60 || x >= 100) {
                ASSERT_EQ(pixelAt(surface.get(), x, y), pixelAt(digitsOnly.get(), x, y)) << x << ", " << y;
            }
    EXPECT_EQ(pixelAt(surface.get(), 80, 10), kRed);

    // Replay mode: the same rectangles, no digits; far-off and non-finite
    // positions leave the readout without digits or without harm.
    w.recordMode = 0;
    drawScene(display, w, *level, contacts);
    for (int x = 0; x < 60; ++x) EXPECT_EQ(pixelAt(surface.get(), x, 10), 0u);
    w.recordMode = 1;
    w.position[0] = Vec2(std::nan(""), -1e300);
    drawScene(display, w, *level, contacts);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(pixelAt(surface.get(), x, y), 0u);
}

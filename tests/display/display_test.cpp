// The window surface, colour mapping, pixel plotting and the digit bitmap.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>

#include "display/display.h"
#include "tools/replays/surface.h"

namespace {

int litPixels(const SDL_Surface* s) {
    int n = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) n += pixelAt(s, x, y) != 0;
    return n;
}

class Plotting : public ::testing::Test {
protected:
    SurfacePtr surface = createScreenSurface();
    bool running = true;
    Display display{surface.get(), nullptr, &running};
};

}  // namespace

TEST_F(Plotting, ScreenCoordinatesClipAtTheFixedSize) {
    display.plotPixel(1023, 767, 7, false);
    EXPECT_EQ(pixelAt(surface.get(), 1023, 767), 7u);
    display.plotPixel(1024, 0, 7, false);
    display.plotPixel(0, 768, 7, false);
    display.plotPixel(-1, 5, 7, false);
    display.plotPixel(5, -1, 7, false);
    EXPECT_EQ(litPixels(surface.get()), 1);
}

TEST_F(Plotting, CameraPointLandsAtTheScreenCentre) {
    display.setCamera(Vec2(0, 0));
    display.plotPixel(-512, -384, 1, true);
    display.plotPixel(511, 383, 2, true);
    display.plotPixel(512, 0, 3, true);
    EXPECT_EQ(pixelAt(surface.get(), 0, 0), 1u);
    EXPECT_EQ(pixelAt(surface.get(), 1023, 767), 2u);
    EXPECT_EQ(litPixels(surface.get()), 2);
}

TEST_F(Plotting, CameraOffsetsTruncateTowardZero) {
    display.setCamera(Vec2(100.5, 0));
    const int columns[] = {510, 511, 512, 512, 513};
    for (int x = 98; x <= 102; ++x) {
        SurfacePtr fresh = createScreenSurface();
        Display d(fresh.get(), nullptr, &running);
        d.setCamera(Vec2(100.5, 0));
        d.plotPixel(x, 0, 9, true);
        EXPECT_EQ(pixelAt(fresh.get(), columns[x - 98], 384), 9u) << "x = " << x;
    }
}

TEST_F(Plotting, FarCamerasAndPointsAreDroppedNotOverflowed) {
    display.setCamera(Vec2(1e300, -1e300));
    display.plotPixel(0, 0, 5, true);
    display.plotWorld(1e300, -1e300, 5);
    display.setCamera(Vec2(0, 0));
    display.plotWorld(std::nan(""), 0, 5);
    display.plotWorld(0, INFINITY, 5);
    display.plotWorld(3e9, 0, 5);
    EXPECT_EQ(litPixels(surface.get()), 1);  // only (1e300, -1e300) lands: on the camera point
    EXPECT_EQ(pixelAt(surface.get(), 512, 384), 5u);
}

TEST_F(Plotting, WorldPointsTruncateBeforeAndAfterTheCamera) {
    display.setCamera(Vec2(0.5, 0.5));
    display.plotWorld(-1.9, -0.2, 4);  // trunc(-1.9) - 0.5 = -1.5 -> -1; trunc(-0.2) - 0.5 = -0.5 -> 0
    EXPECT_EQ(pixelAt(surface.get(), 511, 384), 4u);
}

TEST_F(Plotting, BlackMapsToZero) {
    EXPECT_EQ(display.mapColour(0, 0, 0), 0u);
    EXPECT_EQ(display.mapColour(255, 0, 0), 0xFF0000u);
}

TEST(DigitBitmap, HoldsTenLegibleGlyphsInTheCellLayout) {
    SurfacePtr digits(SDL_LoadBMP(ZUNO_BINARY_DIR "/nums.bmp"));
    ASSERT_TRUE(digits) << SDL_GetError();
    ASSERT_GE(digits->w, 191);
    ASSERT_GE(digits->h, 20);
    SurfacePtr rgb(SDL_ConvertSurface(digits.get(), createScreenSurface()->format, SDL_SWSURFACE));
    auto lit = [&](int x, int y) { return (pixelAt(rgb.get(), x, y) & 0xFFFFFF) != 0; };
    uint64_t shapes[10] = {};
    for (int k = 0; k < 10; ++k) {
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 19 * k; x < 19 * k + 20; ++x)
                if (lit(x, y)) {
                    ++count;
                    shapes[k] = shapes[k] * 31 + static_cast<uint64_t>((x - 19 * k) * 20 + y);
                }
        EXPECT_GE(count, 20) << "glyph " << k;
        for (int y = 0; y < 20; ++y) {
            EXPECT_FALSE(lit(19 * k, y)) << "shared column of glyph " << k;  // neighbours share it
        }
        for (int j = 0; j < k; ++j) EXPECT_NE(shapes[j], shapes[k]) << j << " and " << k;
    }
}

TEST(Window, OpensTheCaptionedThirtyTwoBitScreen) {
    SDL_Init(0);
    bool running = true;
    Display display(&running, 0, "");
    ASSERT_EQ(display.status, DisplayStatus::ok);
    ASSERT_NE(display.screen, nullptr);
    EXPECT_EQ(display.screen->w, 1024);
    EXPECT_EQ(display.screen->h, 768);
    EXPECT_EQ(display.screen->format->BitsPerPixel, 32);
    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    ASSERT_NE(caption, nullptr);
    EXPECT_STREQ(caption, "ZUNO");
    EXPECT_TRUE(running);
    EXPECT_EQ(display.gameClock, 0);
    EXPECT_EQ(display.boostEnergy, 1000);
    EXPECT_EQ(display.lastRotateTime, -1);
    EXPECT_EQ(display.lastTick, 0xFFFFFFFFu);
    EXPECT_EQ(display.digitBitmap, nullptr);  // replay mode loads no digits
}

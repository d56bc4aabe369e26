// Pixels of the drawing primitives: the worked line examples, circles,
// rectangles, the bike's frame and three-digit numbers from the digit bitmap.
#include <gtest/gtest.h>

#include <SDL.h>

#include <climits>
#include <cmath>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "display/display.h"
#include "display/scene.h"
#include "tools/replays/surface.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

PixelSet litPixels(const SDL_Surface* s) {
    PixelSet lit;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if (pixelAt(s, x, y) != 0) lit.insert({x, y});
    return lit;
}

// World points as they land with the camera at the origin.
PixelSet onScreen(std::initializer_list<std::pair<int, int>> world) {
    PixelSet s;
    for (auto [x, y] : world) s.insert({x + 512, y + 384});
    return s;
}

class Primitives : public ::testing::Test {
protected:
    void SetUp() override { display.setCamera(Vec2(0, 0)); }
    PixelSet lit() const { return litPixels(surface.get()); }
    void clear() { SDL_FillRect(surface.get(), nullptr, 0); }

    SurfacePtr surface = createScreenSurface();
    bool running = true;
    Display display{surface.get(), nullptr, &running};
};

}  // namespace

TEST_F(Primitives, LinesPlotTheWorkedExamples) {
    const PixelSet shallow = onScreen({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 1},
                                       {7, 2}, {8, 2}, {9, 2}, {10, 2}});
    display.drawLine(0, 0, 10, 3, 1);
    EXPECT_EQ(lit(), shallow);  // ten additions of 0.3 fall short of 3
    clear();
    display.drawLine(10, 3, 0, 0, 1);
    EXPECT_EQ(lit(), shallow);

    clear();
    display.drawLine(0, 0, 3, 3, 1);
    EXPECT_EQ(lit(), onScreen({{0, 0}, {1, 1}, {2, 2}, {3, 3}}));

    clear();
    display.drawLine(0, 0.5, 0, 3.2, 1);
    EXPECT_EQ(lit(), onScreen({{0, 0}, {0, 1}, {0, 2}}));

    clear();
    display.drawLine(7, 7, 7, 7, 1);
    EXPECT_EQ(lit(), onScreen({{7, 7}}));

    // Both differences below 1: one pixel, at the endpoint with the smaller y.
    clear();
    display.drawLine(3.9, 6.8, 2.95, 6.1, 1);
    EXPECT_EQ(lit(), onScreen({{2, 6}}));
}

TEST_F(Primitives, CirclesPlotTwoHundredTenPoints) {
    display.drawCircle(4, -3, 0, 1);
    EXPECT_EQ(lit(), onScreen({{4, -3}}));

    clear();
    display.drawCircle(0, 0, 300, 1);
    PixelSet expected;
    for (double angle = 0.0; angle < 6.28; angle += 0.03)
        expected.insert({512 + int(std::trunc(300 * std::cos(angle))), 384 + int(std::trunc(300 * std::sin(angle)))});
    EXPECT_EQ(expected.size(), 210u);
    EXPECT_EQ(lit(), expected);

    clear();
    display.drawCircle(std::nan(""), 0, 10, 1);
    display.drawCircle(0, INFINITY, 10, 1);
    display.drawCircle(0, 0, -INFINITY, 1);
    EXPECT_TRUE(lit().empty());
}

TEST_F(Primitives, RectanglesCoverTheirHalfOpenRange) {
    display.fillRect(0, 0, 60, 22, 1);
    PixelSet r = lit();
    EXPECT_EQ(r.size(), 60u * 22u);
    EXPECT_EQ(*r.begin(), std::make_pair(0, 0));
    EXPECT_EQ(*r.rbegin(), std::make_pair(59, 21));

    clear();
    display.fillRect(5, 5, 5, 10, 1);
    display.fillRect(9, 9, 3, 12, 1);
    EXPECT_TRUE(lit().empty());

    display.fillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1);
    EXPECT_EQ(pixelAt(surface.get(), 0, 0), 1u);
    EXPECT_EQ(pixelAt(surface.get(), 1023, 767), 1u);
}

TEST_F(Primitives, FrameSpokesHalveTheWholeWordAndEraseToThePreviousCentre) {
    World w{};
    const Vec2 a(-200, 100), b(0, -150), c(200, 100);
    w.centre = Vec2(0, 0);
    const auto grey = static_cast<int32_t>(display.mapColour(100, 100, 100));
    drawFrame(a, b, c, display, grey, w);
    EXPECT_EQ(pixelAt(surface.get(), 512 - 100, 384 + 50), 0x323232u);  // halfway along spoke a
    EXPECT_EQ(pixelAt(surface.get(), 512, 384 + 100), static_cast<uint32_t>(grey));  // on side c-a

    // The erase call follows the previous centre, not where the centre is now.
    w.previousCentre = w.centre;
    w.centre = Vec2(50, 300);
    drawFrame(a, b, c, display, 0, w);
    EXPECT_TRUE(lit().empty());

    // A colour that is negative as a signed word halves toward zero.
    w.centre = Vec2(0, 0);
    drawFrame(a, b, c, display, -16, w);
    EXPECT_EQ(pixelAt(surface.get(), 512 - 100, 384 + 50), 0xFFFFFFF8u);
}

namespace {

// What a run of colour-keyed glyph cells leaves on a black screen: each cell
// copies its glyph's pixels that are not black, later cells over earlier ones.
SurfacePtr expectedDigits(const SDL_Surface* glyphs, const std::vector<int>& digits, int x, int y) {
    SurfacePtr screen = createScreenSurface();
    for (size_t i = 0; i < digits.size(); ++i)
        for (int py = 0; py < 20; ++py)
            for (int px = 0; px < 20; ++px) {
                int sx = digits[i] * 19 + px;
                if (sx < 0 || sx >= glyphs->w) continue;
                uint32_t p = pixelAt(glyphs, sx, py) & 0xFFFFFF;
                int dx = x + static_cast<int>(i) * 19 + px;
                if (p != 0) reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(screen->pixels) + (y + py) * screen->pitch)[dx] = p;
            }
    return screen;
}

bool sameScreens(const SDL_Surface* a, const SDL_Surface* b) {
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if ((pixelAt(a, x, y) & 0xFFFFFF) != (pixelAt(b, x, y) & 0xFFFFFF)) return false;
    return true;
}

}  // namespace

TEST(Numbers, ShowThreeDigitsFromTheShippedBitmap) {
    SurfacePtr bitmap(SDL_LoadBMP(ZUNO_BINARY_DIR "/nums.bmp"));
    ASSERT_TRUE(bitmap) << SDL_GetError();
    SurfacePtr screen = createScreenSurface();
    SurfacePtr glyphs(SDL_ConvertSurface(bitmap.get(), screen->format, SDL_SWSURFACE));
    bool running = true;
    Display display(screen.get(), bitmap.get(), &running);

    const struct {
        int32_t value;
        std::vector<int> digits;
    } cases[] = {{7, {0, 0, 7}}, {1234, {2, 3, 4}}, {-5, {0, 0, -5}}, {-41, {0, -4, -1}}};
    for (const auto& c : cases) {
        SDL_FillRect(screen.get(), nullptr, 0);
        display.drawNumber(c.value, 40, 30);
        SurfacePtr expected = expectedDigits(glyphs.get(), c.digits, 40, 30);
        EXPECT_TRUE(sameScreens(screen.get(), expected.get())) << "value " << c.value;
    }
    // -5 leaves its third cell empty.
    SDL_FillRect(screen.get(), nullptr, 0);
    display.drawNumber(-5, 40, 30);
    for (int y = 30; y < 50; ++y)
        for (int x = 40 + 39; x < 40 + 58; ++x) EXPECT_EQ(pixelAt(screen.get(), x, y), 0u);
}

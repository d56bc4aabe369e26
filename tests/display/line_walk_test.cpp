// Exact repeated addition, and lines against a plain step-by-step walk:
// random lines pixel for pixel, and hostile lines that must end at once.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <utility>

#include "display/display.h"
#include "display/line_walk.h"
#include "tools/replays/surface.h"

namespace {

double naiveAccumulate(double v, double s, int64_t k) {
    for (int64_t i = 0; i < k; ++i) v = v + s;
    return v;
}

bool sameDouble(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A double of random sign, binade in [lowExponent, highExponent], and
// random significand; now and then an exact power of two or a neighbour.
double randomDouble(std::mt19937_64& rng, int lowExponent, int highExponent) {
    std::uniform_int_distribution<int> exponent(lowExponent, highExponent);
    std::uniform_int_distribution<int64_t> significand(int64_t(1) << 52, (int64_t(1) << 53) - 1);
    int shape = static_cast<int>(rng() % 8);
    int64_t m = significand(rng);
    if (shape == 0) m = int64_t(1) << 52;
    if (shape == 1) m = (int64_t(1) << 53) - 1 - static_cast<int64_t>(rng() % 3);
    if (shape == 2) m = (int64_t(1) << 52) + static_cast<int64_t>(rng() % 3);
    if (shape == 3) m &= ~int64_t(0xFFFFFFFF);  // few significant bits: exact sums
    double v = std::ldexp(static_cast<double>(m), exponent(rng) - 52);
    return (rng() & 1) ? -v : v;
}

}  // namespace

TEST(Accumulate, MatchesRepeatedAdditionBitForBit) {
    std::mt19937_64 rng(12345);
    for (int trial = 0; trial < 3000; ++trial) {
        double v = randomDouble(rng, -8, 40);
        double s;
        int64_t k = static_cast<int64_t>(rng() % 20000);
        switch (trial % 6) {
            case 0:  // steps much smaller than the value
                s = randomDouble(rng, -12, 8);
                break;
            case 1: {  // an exact tie at the value's spacing: every step rounds half to even
                int e = std::ilogb(v) - 52;
                s = std::ldexp(static_cast<double>(2 * (rng() % 1000) + 1), e - 1);
                if (rng() & 1) s = -s;
                break;
            }
            case 2:  // towards zero and through it
                s = -v / static_cast<double>(k + 1) * (0.5 + static_cast<double>(rng() % 1000) / 250.0);
                break;
            case 3:  // the major axis of a line
                s = 1.0;
                v = std::ldexp(static_cast<double>(rng() % (int64_t(1) << 40)), -20) - 500000.0;
                break;
            case 4:  // subnormal and near-subnormal values and steps
                v = std::ldexp(static_cast<double>(static_cast<int64_t>(rng() % 100000) - 50000), -1074);
                s = std::ldexp(static_cast<double>(static_cast<int64_t>(rng() % 2001) - 1000), -1074 + static_cast<int>(rng() % 60));
                break;
            default:  // steps around half a spacing: sums that get stuck
                s = std::ldexp(v, -53) * (static_cast<double>(rng() % 5) * 0.25 + 0.5);
                break;
        }
        ASSERT_TRUE(sameDouble(accumulate(v, s, k), naiveAccumulate(v, s, k)))
            << std::hexfloat << "v = " << v << " s = " << s << " k = " << k;
    }
}

TEST(Accumulate, NonFiniteAndOverflowingSums) {
    EXPECT_TRUE(std::isnan(accumulate(1.0, std::nan(""), 5)));
    EXPECT_EQ(accumulate(1.0, INFINITY, 5), INFINITY);
    EXPECT_TRUE(std::isnan(accumulate(INFINITY, -INFINITY, 3)));
    EXPECT_EQ(accumulate(1.7e308, 1e307, 100), naiveAccumulate(1.7e308, 1e307, 100));
    EXPECT_EQ(accumulate(std::ldexp(1.0, 1023), std::ldexp(1.0, 970), 3000),
              naiveAccumulate(std::ldexp(1.0, 1023), std::ldexp(1.0, 970), 3000));
    EXPECT_EQ(accumulate(1e300, 1.0, int64_t(1) << 60), 1e300);  // adding 1 changes nothing there
    EXPECT_EQ(accumulate(3.0, 0.5, 0), 3.0);
}

TEST(Accumulate, LongRunsSplitAnywhereAgree) {
    // Far beyond a step-by-step check: any split of k must give the same sum.
    std::mt19937_64 rng(99);
    for (int trial = 0; trial < 300; ++trial) {
        double v = randomDouble(rng, -4, 30);
        double s = randomDouble(rng, -20, 4);
        int64_t k = static_cast<int64_t>(rng() % (int64_t(1) << 45));
        int64_t split = static_cast<int64_t>(rng() % static_cast<uint64_t>(k + 1));
        ASSERT_TRUE(sameDouble(accumulate(v, s, k), accumulate(accumulate(v, s, split), s, k - split)))
            << std::hexfloat << v << " " << s << " " << k << " " << split;
    }
}

namespace {

using PixelSet = std::set<std::pair<int, int>>;

PixelSet litPixels(const SDL_Surface* s) {
    PixelSet lit;
    for (int y = 0; y < kScreenHeight; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < kScreenWidth; ++x)
            if (row[x] != 0) lit.insert({x, y});
    }
    return lit;
}

// The line as the game defines it, step after step, with the camera mapping
// done in 64-bit integers so that it is defined for the coordinates used here.
PixelSet referenceLine(double x1, double y1, double x2, double y2, Vec2 camera) {
    PixelSet lit;
    auto plot = [&](double x, double y) {
        int64_t ix = static_cast<int64_t>(std::trunc(x));
        int64_t iy = static_cast<int64_t>(std::trunc(y));
        int64_t col = static_cast<int64_t>(std::trunc(static_cast<double>(ix) - camera.x)) + 512;
        int64_t row = static_cast<int64_t>(std::trunc(static_cast<double>(iy) - camera.y)) + 384;
        if (col >= 0 && col < 1024 && row >= 0 && row < 768) lit.insert({int(col), int(row)});
    };
    int64_t dxa = std::llabs(static_cast<int64_t>(std::trunc(x2 - x1)));
    int64_t dya = std::llabs(static_cast<int64_t>(std::trunc(y2 - y1)));
    if (dxa > dya) {
        if (x1 > x2) { std::swap(x1, x2); std::swap(y1, y2); }
        double slope = (y2 - y1) / (x2 - x1);
        for (double x = x1, y = y1; x <= x2; x += 1.0, y += slope) plot(x, y);
    } else {
        if (y1 > y2) { std::swap(x1, x2); std::swap(y1, y2); }
        double slope = (x2 - x1) / (y2 - y1);
        for (double x = x1, y = y1; y <= y2; y += 1.0, x += slope) plot(x, y);
    }
    return lit;
}

class Lines : public ::testing::Test {
protected:
    PixelSet draw(double x1, double y1, double x2, double y2, Vec2 camera) {
        SurfacePtr surface = createScreenSurface();
        Display display(surface.get(), nullptr, &running);
        display.setCamera(camera);
        display.drawLine(x1, y1, x2, y2, 1);
        return litPixels(surface.get());
    }
    // The same line through the clipping walk whatever its length.
    PixelSet drawClipped(double x1, double y1, double x2, double y2, Vec2 camera) {
        SurfacePtr surface = createScreenSurface();
        Display display(surface.get(), nullptr, &running);
        display.setCamera(camera);
        double dxa = std::fabs(std::trunc(x2 - x1)), dya = std::fabs(std::trunc(y2 - y1));
        bool xMajor = dxa > dya;
        if (xMajor ? x1 > x2 : y1 > y2) { std::swap(x1, x2); std::swap(y1, y2); }
        LineWalk walk = xMajor ? LineWalk{x1, y1, x2, (y2 - y1) / (x2 - x1), true}
                               : LineWalk{y1, x1, y2, (x2 - x1) / (y2 - y1), false};
        walkVisibleSteps(display, walk, 1);
        return litPixels(surface.get());
    }
    double fraction(std::mt19937_64& rng) {
        switch (rng() % 4) {
            case 0: return 0.0;
            case 1: return 0.5;
            case 2: return std::ldexp(static_cast<double>(rng() % 64), -45) * ((rng() & 1) ? 1 : -1);  // just off a whole number
            default: return static_cast<double>(rng() % 1000000) / 1000000.0;
        }
    }
    bool running = true;
};

}  // namespace

TEST_F(Lines, RandomLinesMatchTheStepByStepWalk) {
    std::mt19937_64 rng(2024);
    const double limit = 2147483648.0;
    for (int trial = 0; trial < 300; ++trial) {
        // Cameras anywhere within 32 bits, near zero (walks through zero
        // cross many binades), or on the spot where 2^31 is reached.
        Vec2 camera;
        switch (trial % 3) {
            case 0: camera = Vec2(static_cast<double>(static_cast<int64_t>(rng() % 4000000000u) - 2000000000) + fraction(rng),
                                  static_cast<double>(static_cast<int64_t>(rng() % 4000000000u) - 2000000000) + fraction(rng)); break;
            case 1: camera = Vec2(fraction(rng) * 100, -fraction(rng) * 100); break;
            default: camera = Vec2(limit - 600 - fraction(rng), -limit + 400 + fraction(rng)); break;
        }
        const int reach = trial % 5 == 0 ? 40000 : 3000;
        auto coordinate = [&](double centre) {
            double c = centre + static_cast<double>(static_cast<int64_t>(rng() % (2 * reach)) - reach) + fraction(rng);
            return std::fmax(-limit, std::fmin(limit, c));
        };
        double x1 = coordinate(camera.x), y1 = coordinate(camera.y);
        double x2 = coordinate(camera.x), y2 = coordinate(camera.y);
        if (trial % 7 == 0) y2 = y1 + fraction(rng);  // nearly level lines
        if (trial % 3 == 1 && trial % 2 == 0) {  // just below a small whole number, walking up through binades
            double n = static_cast<double>(rng() % 64 + 1);
            x1 = n - static_cast<double>(rng() % 6 + 1) * (n / 2 - std::nextafter(n / 2, 0.0));
        }
        PixelSet expected = referenceLine(x1, y1, x2, y2, camera);
        ASSERT_EQ(draw(x1, y1, x2, y2, camera), expected)
            << std::hexfloat << x1 << " " << y1 << " " << x2 << " " << y2 << " camera " << camera.x << " " << camera.y;
        ASSERT_EQ(drawClipped(x1, y1, x2, y2, camera), expected)
            << std::hexfloat << x1 << " " << y1 << " " << x2 << " " << y2 << " camera " << camera.x << " " << camera.y;
    }
}

TEST_F(Lines, ShortLinesThroughTheStepWindowMatchTheStepByStepWalk) {
    // Lines short enough to be walked step by step, the kind every frame
    // draws: the window of steps found from the straight line and the
    // tabulated camera mapping must plot exactly the reference's pixels,
    // near the screen's edges, through zero, on cameras up to and beyond
    // the tabulated range, and with coordinates near 2^51 and 2^52.
    std::mt19937_64 rng(77);
    const double cameras[] = {0.0, -0.0, 0.25, -0.75, 1e-300, 511.5, -384.25, 31000.3, 123456789.5,
                              std::ldexp(1.0, 50) - 0.5, -std::ldexp(1.0, 50), std::ldexp(1.0, 50) + 3.0,
                              std::ldexp(1.0, 51) + 0.5};
    for (int trial = 0; trial < 1000; ++trial) {
        const double cx = cameras[rng() % std::size(cameras)] * ((rng() & 1) ? 1 : -1);
        const double cy = cameras[rng() % std::size(cameras)] * ((rng() & 1) ? 1 : -1);
        const Vec2 camera(cx, cy);
        auto near = [&](double c, double reach) {
            return c + static_cast<double>(static_cast<int64_t>(rng() % static_cast<uint64_t>(2 * reach)) -
                                           static_cast<int64_t>(reach)) + fraction(rng);
        };
        const double reach = trial % 4 == 0 ? 700 : 1900;
        double x1 = near(cx, reach), y1 = near(cy, reach);
        double x2 = near(x1, 1000), y2 = near(y1, 1000);
        switch (trial % 6) {
            case 0: y2 = y1 + (x2 - x1) * (1 + fraction(rng)); break;  // slopes about 1 and 2
            case 1: x2 = x1 + std::trunc(x2 - x1) + fraction(rng); break;
            case 2: y1 = cy - 384 - fraction(rng); y2 = cy + 383 + fraction(rng); break;  // edge to edge
            case 3: x1 = std::nextafter(std::trunc(x1), 0.0); break;  // just inside a whole number
            default: break;
        }
        const PixelSet expected = referenceLine(x1, y1, x2, y2, camera);
        ASSERT_EQ(draw(x1, y1, x2, y2, camera), expected)
            << std::hexfloat << x1 << " " << y1 << " " << x2 << " " << y2 << " camera " << cx << " " << cy;
    }
}

TEST_F(Lines, MajorAxisRoundsStepByStep) {
    // Just below a whole number, x + 1.0 repeated loses the deficit as x
    // climbs through binades: 1.999999999999999 becomes 9.0 on the seventh
    // step (column 8 is never drawn), where x1 + 7 alone would give 8.99...
    const double starts[] = {1.999999999999999, 31.999999999999982, 0.9999999999999994, -2.0000000000000004};
    for (double x1 : starts) {
        // The screen starts long after the rounding: the walk must start
        // there with the rounded value.
        PixelSet expected = referenceLine(x1, 0, x1 + 2500, 2250, Vec2(600, 540));
        EXPECT_EQ(draw(x1, 0, x1 + 2500, 2250, Vec2(600, 540)), expected) << x1;
        EXPECT_EQ(drawClipped(x1, 0, x1 + 2500, 2250, Vec2(600, 540)), expected) << x1;
        EXPECT_EQ(drawClipped(0, x1, 2250, x1 + 2500, Vec2(540, 600)),
                  referenceLine(0, x1, 2250, x1 + 2500, Vec2(540, 600)));
    }
    EXPECT_EQ(draw(1.999999999999999, 0, 2501.999999999999, 3, Vec2(0, 0)).count({520, 384}), 0u);
}

TEST_F(Lines, HugeWalksKeepExactPixelsOnScreen) {
    // Three billion steps ending at the camera: sums of halves are exact,
    // so the visible end of the walk is known without walking the rest.
    PixelSet expected = referenceLine(-3000.0, -1500.0, 0, 0, Vec2(0, 0));
    EXPECT_EQ(draw(-3e9, -1.5e9, 0, 0, Vec2(0, 0)), expected);
    // A level edge three billion long through the screen: one full row.
    PixelSet row = draw(-1.5e9, 7, 1.5e9, 7, Vec2(0.5, 0));
    ASSERT_EQ(row.size(), 1024u);
    EXPECT_EQ(row.begin()->second, 391);
}

TEST_F(Lines, HostileLinesFinishAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    const double nan = std::nan("");
    // Non-finite coordinates draw nothing.
    EXPECT_TRUE(draw(nan, 0, 10, 10, Vec2(0, 0)).empty());
    EXPECT_TRUE(draw(0, 0, INFINITY, 10, Vec2(0, 0)).empty());
    EXPECT_TRUE(draw(0, -INFINITY, 0, 10, Vec2(0, 0)).empty());
    EXPECT_TRUE(draw(0, 0, 10, 10, Vec2(nan, 0)).empty());
    // Endpoints at the ends of the double range: differences overflow.
    // Both start stuck far off screen.
    EXPECT_TRUE(draw(-1e300, -1e300, 1e300, 1e300, Vec2(0, 0)).empty());
    EXPECT_TRUE(draw(-1.7e308, 0, 1.7e308, 5, Vec2(0, 0)).empty());
    // Where adding 1.0 no longer moves x, the step-by-step walk never ends.
    // Here y creeps by 7e-283 a step and settles far inside one row.
    EXPECT_EQ(draw(1e300, 0, 1e300 + 1.5e284, 100, Vec2(1e300, 0)), (PixelSet{{512, 384}}));
    // Stuck in x at 2^60 with y climbing by halves: one column, every row below the centre.
    const double far = std::ldexp(1.0, 60);
    PixelSet column = draw(far, 0, far + std::ldexp(1.0, 50), std::ldexp(1.0, 49), Vec2(far, 0));
    ASSERT_EQ(column.size(), 384u);
    EXPECT_EQ(*column.begin(), std::make_pair(512, 384));
    EXPECT_EQ(*column.rbegin(), std::make_pair(512, 767));
    // Equal endpoints out there: slope 0/0, still the one pixel.
    EXPECT_EQ(draw(1e300, 5, 1e300, 5, Vec2(1e300, 0)), (PixelSet{{512, 389}}));
    // And a stuck walk that never comes near the screen.
    EXPECT_TRUE(draw(far, 0, far + 1e9, 1e8, Vec2(0, 0)).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Exact repeated addition and the two ways of walking a line: every step, or
// only the steps that can reach the screen.
#include "display/line_walk.h"

#include <algorithm>
#include <cmath>

#include "display/display.h"

namespace {

constexpr int64_t kTwo52 = int64_t(1) << 52;
constexpr int64_t kTwo53 = int64_t(1) << 53;

// Below 2^-1021 doubles are evenly spaced by 2^-1074 (subnormals and the
// lowest normal binade alike), so that whole range counts as one region.
constexpr int kLowestRegion = -1022;

int regionOf(double magnitude) {
    int e = std::ilogb(magnitude);
    return e < kLowestRegion ? kLowestRegion : e;
}

// a, b, c are three consecutive sums. When all three lie in one region of
// constant spacing u, and b and c were rounded inside it, the sum grows by
// the constant d = c - b as long as every exact sum stays inside the region
// (within it fl(x + s) = x + s rounded to a multiple of u, and once a tie
// has been rounded to an even multiple every later tie rounds the same way).
// Returns the number of steps taken at once from c, at most limit, keeping
// two units of spacing away from the region's ends, and the value reached.
int64_t jumpWithinRegion(double a, double b, double c, int64_t limit, double& reached) {
    if (!(std::isfinite(a) && std::isfinite(b) && std::isfinite(c))) return 0;
    const bool positive = c > 0;
    if (positive ? !(a > 0 && b > 0) : !(c < 0 && a < 0 && b < 0)) return 0;
    const int region = regionOf(std::fabs(c));
    if (regionOf(std::fabs(a)) != region || regionOf(std::fabs(b)) != region) return 0;

    // Work in units of the spacing: every value of the region is an integer
    // below 2^53, and so are all the sums of the jump.
    const int shift = region - 52;
    const int64_t unitsB = static_cast<int64_t>(std::ldexp(std::fabs(b), -shift));
    const int64_t unitsC = static_cast<int64_t>(std::ldexp(std::fabs(c), -shift));
    const int64_t lowest = region == kLowestRegion ? 0 : kTwo52;
    if (unitsB == lowest || unitsC == lowest) return 0;  // may have rounded below the region
    const int64_t step = unitsC - unitsB;
    int64_t count = step > 0 ? (kTwo53 - 2 - unitsC) / step : (unitsC - (lowest + 2)) / -step;
    if (count > limit) count = limit;
    if (count <= 0) return 0;
    const double magnitude = std::ldexp(static_cast<double>(unitsC + count * step), shift);
    reached = positive ? magnitude : -magnitude;
    return count;
}

constexpr int64_t kMaxSteps = int64_t(1) << 61;  // stands for "never" in step searches

// The first j in [lo, hi) for which the monotone test holds (false before,
// true from there on), or hi. Starts at guess and widens outwards, so a good
// guess costs a handful of tests.
template <class Test>
int64_t firstTrue(Test test, int64_t lo, int64_t hi, double guess) {
    if (lo >= hi) return hi;
    int64_t g = lo;
    if (guess >= static_cast<double>(hi - 1)) g = hi - 1;
    else if (guess > static_cast<double>(lo)) g = static_cast<int64_t>(guess);
    int64_t no = lo - 1, yes = hi;  // test(no) false, test(yes) true, by convention at the ends
    if (test(g)) {
        yes = g;
        for (int64_t width = 1;; width *= 2) {
            if (width > yes - lo) break;
            int64_t probe = yes - width;
            if (!test(probe)) { no = probe; break; }
            yes = probe;
        }
    } else {
        no = g;
        for (int64_t width = 1;; width *= 2) {
            if (width >= hi - no) break;
            int64_t probe = no + width;
            if (test(probe)) { yes = probe; break; }
            no = probe;
        }
    }
    while (yes - no > 1) {
        int64_t mid = no + (yes - no) / 2;
        if (test(mid)) yes = mid;
        else no = mid;
    }
    return yes;
}

}  // namespace

namespace {

// The sums of one walk's steps, remembered at the indices asked for: an
// index is summed on from the nearest remembered one below it, so a search
// crosses each binade about once rather than once a probe. Any start gives
// the same bits, so which sums are kept changes nothing drawn.
class StepSums {
public:
    StepSums(double start, double step) : step_(step) { kept_[0] = Sum{0, start}; }

    double at(int64_t j) {
        int from = 0;
        for (int i = 1; i < count_; ++i)
            if (kept_[i].index <= j && kept_[i].index > kept_[from].index) from = i;
        const double v = accumulate(kept_[from].value, step_, j - kept_[from].index);
        // Once full, the newest sums take turns in the last slots.
        kept_[count_ < kKept ? count_++ : kKept - 1 - (replaced_++ % (kKept / 2))] = Sum{j, v};
        return v;
    }

private:
    static constexpr int kKept = 64;
    struct Sum {
        int64_t index;
        double value;
    };
    double step_;
    Sum kept_[kKept];
    int count_ = 1;
    int replaced_ = 0;
};

}  // namespace

double accumulate(double v, double s, int64_t k) {
    double a = 0, b = 0;  // the two sums before v, when `known` says they are consecutive
    int known = 0;
    while (k > 0) {
        const double next = v + s;
        --k;
        // A step that changes nothing changes nothing ever after.
        if (next == v || std::isnan(next)) return next;
        a = b;
        b = v;
        v = next;
        if (known < 2) ++known;
        if (known == 2 && k > 0) {
            double reached;
            int64_t jumped = jumpWithinRegion(a, b, v, k, reached);
            if (jumped > 0) {
                v = reached;
                k -= jumped;
                known = 0;
            }
        }
    }
    return v;
}

namespace {

// The step-by-step walk with its cheap bounds: every step compared, the
// points that may land on the screen handed to plotWorld's exact test.
void walkCheckingEveryStep(Display& display, const LineWalk& walk, const CameraAxis& majorAxis,
                           const CameraAxis& minorAxis, uint32_t colour) {
    // A coordinate is at most 1 from its truncation, so anything beyond
    // these bounds cannot land on the screen; points inside them go to the
    // exact test of plotWorld. Plain comparisons (false for NaN) keep the
    // walk cheap where it runs off screen.
    const double majorLow = majorAxis.lowest(), majorHigh = majorAxis.highest();
    const double minorLow = minorAxis.lowest(), minorHigh = minorAxis.highest();
    double major = walk.major1;
    double minor = walk.minor1;
    while (major <= walk.major2) {
        // Both coordinates move one way only: once past the far side of the
        // screen, no later step comes back.
        if (major >= majorHigh) break;
        if (walk.slope >= 0 ? minor >= minorHigh : minor <= minorLow) break;
        if (major > majorLow && minor > minorLow && minor < minorHigh) {
            if (walk.xMajor) display.plotWorld(major, minor, colour);
            else display.plotWorld(minor, major, colour);
        }
        minor += walk.slope;
        major += 1.0;
    }
}

// Steps first to last (inclusive) of a walk hold every step whose point may
// land on the screen.
struct StepWindow {
    int64_t first;
    int64_t last;
};

constexpr double kWindowMargin = 1;  // a step more at either end for the rounding of the window's own quotients
constexpr double kCoordinateLimit = 4503599627370496.0;  // 2^52
constexpr double kLongestWindowWalk = 4096;

// The window of a short walk, found from the straight line the walk follows:
// step j is at (major1 + j, minor1 + j * slope) but for the rounding of j
// sums, which the errors below bound (2^-50 of the magnitudes involved per
// step: four times what one rounding can do, covering the rounding in the
// window's own arithmetic too). Steps outside the window lie beyond the
// bounds of the screen that the step-by-step walk compares with. False when
// the walk is not one this reasoning covers (non-finite values, steep
// slopes, coordinates near 2^52), which then takes the step-by-step walk.
bool screenWindow(const LineWalk& walk, const AxisMap& majorMap, const AxisMap& minorMap, StepWindow& window) {
    const double slope = walk.slope;
    const double major1 = walk.major1, major2 = walk.major2, minor1 = walk.minor1;
    // Both coordinates stay within 2^52 of zero: the major one between its
    // ends, the minor one in at most 4160 steps of at most 2 from below 2^51.
    if (!(std::fabs(slope) <= 2 && std::fabs(major1) < kCoordinateLimit && std::fabs(major2) < kCoordinateLimit &&
          major2 - major1 <= kLongestWindowWalk && std::fabs(minor1) < kCoordinateLimit / 2))
        return false;
    const double majorLow = majorMap.below(), majorHigh = majorMap.above();
    const double minorLow = minorMap.below(), minorHigh = minorMap.above();

    const double steps = major2 - major1 + 64;  // more than the walk takes
    const double unit = 0x1p-50;
    const double majorErr =
        steps * (std::fabs(major1) + std::fabs(major2) + std::fabs(majorLow) + std::fabs(majorHigh) + steps) * unit;
    const double minorErr =
        steps * (std::fabs(minor1) + steps * std::fabs(slope) + std::fabs(minorLow) + std::fabs(minorHigh) + 1) * unit;

    double from = (majorLow - majorErr) - major1;
    double to = (majorHigh + majorErr) - major1;
    if (slope == 0) {
        // The minor coordinate never changes.
        if (!(minor1 > minorLow && minor1 < minorHigh)) {
            window = StepWindow{1, 0};
            return true;
        }
    } else {
        const double a = ((minorLow - minorErr) - minor1) / slope;
        const double b = ((minorHigh + minorErr) - minor1) / slope;
        from = std::max(from, std::min(a, b));
        to = std::min(to, std::max(a, b));
    }
    // Both within range of an integer.
    from = std::min(std::max(std::floor(from) - kWindowMargin, 0.0), steps + 1);
    to = std::min(std::max(std::ceil(to) + kWindowMargin, -1.0), steps);
    window = StepWindow{static_cast<int64_t>(from), static_cast<int64_t>(to)};
    return true;
}

// The steps of a window from (major, minor) on, through the tabulated
// camera mapping; everything the loop reads is a local, in registers. The
// coordinates stay within 2^52 of zero (see screenWindow), so they convert
// to integers without a range test of their own.
void walkMapped(Display& display, const LineWalk& walk, const AxisMap::View majorMap, const AxisMap::View minorMap,
                int64_t stepsLeft, double major, double minor, uint32_t colour) {
    auto* const pixels = static_cast<uint8_t*>(display.screen->pixels);
    const double slope = walk.slope;
    const double end = walk.major2;
    for (; stepsLeft >= 0 && major <= end; --stepsLeft) {
        const uint64_t a = majorMap.index(major);
        const uint64_t b = minorMap.index(minor);
        if (a < majorMap.count && b < minorMap.count)
            *reinterpret_cast<uint32_t*>(pixels + majorMap.offset[a] + minorMap.offset[b]) = colour;
        minor += slope;
        major += 1.0;
    }
}

}  // namespace

void walkEveryStep(Display& display, const LineWalk& walk, uint32_t colour) {
    const ScreenMap& map = display.screenMap();
    const AxisMap& majorMap = walk.xMajor ? map.x : map.y;
    const AxisMap& minorMap = walk.xMajor ? map.y : map.x;
    StepWindow window;
    if (!map.usable || !screenWindow(walk, majorMap, minorMap, window)) {
        const CameraAxis xAxis = columnAxis(display.camera), yAxis = rowAxis(display.camera);
        walkCheckingEveryStep(display, walk, walk.xMajor ? xAxis : yAxis, walk.xMajor ? yAxis : xAxis, colour);
        return;
    }
    if (window.first > window.last) return;
    // The steps before the window are summed, not plotted: the same sums in
    // the same order, so the window starts on the very values of the walk.
    const double slope = walk.slope;
    double major = walk.major1;
    double minor = walk.minor1;
    for (int64_t j = 0; j < window.first; ++j) {
        minor += slope;
        major += 1.0;
    }
    const int64_t stepsLeft = window.last - window.first;
    walkMapped(display, walk, majorMap.view(), minorMap.view(), stepsLeft, major, minor, colour);
}

void walkVisibleSteps(Display& display, const LineWalk& walk, uint32_t colour) {
    const CameraAxis xAxis = columnAxis(display.camera), yAxis = rowAxis(display.camera);
    const CameraAxis& major = walk.xMajor ? xAxis : yAxis;
    const CameraAxis& minor = walk.xMajor ? yAxis : xAxis;
    auto plot = [&](double a, double b) {
        if (walk.xMajor) display.plotWorld(a, b, colour);
        else display.plotWorld(b, a, colour);
    };
    if (!(std::isfinite(walk.major1) && std::isfinite(walk.major2) && std::isfinite(walk.minor1)))
        return;
    if (!(std::isfinite(major.camera) && std::isfinite(minor.camera))) return;  // nothing maps on screen
    if (!(walk.major1 <= walk.major2)) return;
    // A slope that is not finite makes every minor coordinate after the first
    // infinite or NaN: only the first step can be seen.
    if (!std::isfinite(walk.slope)) {
        plot(walk.major1, walk.minor1);
        return;
    }

    StepSums majorSums(walk.major1, 1.0), minorSums(walk.minor1, walk.slope);
    auto majorAt = [&](int64_t j) { return majorSums.at(j); };
    auto minorAt = [&](int64_t j) { return minorSums.at(j); };

    // The walk's own end, then the steps whose column (or row) is on screen;
    // the major coordinate never decreases, so each is a range of steps.
    const int64_t stepCount = firstTrue([&](int64_t j) { return majorAt(j) > walk.major2; }, 0,
                                        kMaxSteps, walk.major2 - walk.major1 + 1);
    int64_t begin = firstTrue([&](int64_t j) { return major.of(majorAt(j)) >= 0; }, 0, stepCount,
                              major.camera - major.centre - walk.major1);
    int64_t end = firstTrue([&](int64_t j) { return major.of(majorAt(j)) >= major.extent; }, begin,
                            stepCount, major.camera + major.extent - major.centre - walk.major1);
    if (begin >= end) return;

    // The minor coordinate moves monotonically in the slope's direction.
    const double lowGuess = (minor.camera - minor.centre - walk.minor1) / walk.slope;
    const double highGuess = (minor.camera + minor.extent - minor.centre - walk.minor1) / walk.slope;
    if (walk.slope > 0) {
        begin = firstTrue([&](int64_t j) { return minor.of(minorAt(j)) >= 0; }, begin, end, lowGuess);
        end = firstTrue([&](int64_t j) { return minor.of(minorAt(j)) >= minor.extent; }, begin, end,
                        highGuess);
    } else if (walk.slope < 0) {
        begin = firstTrue([&](int64_t j) { return minor.of(minorAt(j)) < minor.extent; }, begin, end,
                          highGuess);
        end = firstTrue([&](int64_t j) { return minor.of(minorAt(j)) < 0; }, begin, end, lowGuess);
    } else {
        const double row = minor.of(walk.minor1);
        if (!minor.lands(row)) return;
    }
    if (begin >= end) return;

    double a = majorAt(begin);
    double b = minorAt(begin);
    int64_t j = begin;
    while (j < end) {
        plot(a, b);
        ++j;
        const double nextA = a + 1.0;
        b += walk.slope;
        if (nextA == a) break;  // the major coordinate is stuck for good
        a = nextA;
    }

    // Stuck: every remaining step has the same major coordinate, so only the
    // minor coordinate's changes of row (or column) matter; it moves
    // monotonically, so each next change is found by search.
    while (j < end) {
        plot(a, b);
        const double here = minor.of(b);
        const double from = b;
        // The guess: steps to where the truncation changes (past 1 or -1
        // from (-1, 1), where it is 0 throughout), at the size the first
        // step really has in this binade. Within a binade it is exact, so
        // the search costs a few sums instead of some hundred.
        const double stepSize = (from + walk.slope) - from;
        const double whole = std::trunc(from);
        const double wholeAhead = walk.slope > 0 ? (from > -1 ? whole + 1 : whole) : (from < 1 ? whole - 1 : whole);
        StepSums sums(from, walk.slope);
        const int64_t ahead = firstTrue([&](int64_t t) { return minor.of(sums.at(t)) != here; }, 1, end - j,
                                        (wholeAhead - from) / stepSize);
        if (ahead >= end - j) break;
        b = sums.at(ahead);
        j += ahead;
    }
}

// Bends long sides whose whole points lie far apart. The corners come from
// the rows of whole points parallel to the side: where g divides its run and
// rise, row k lies g k / length file units in, its points a g-th of it apart.
#include "tools/shapes/side_bends.h"

#include <cmath>
#include <numeric>

#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"

namespace {

// Parts a side is bent into, at most: more corners make a hostile outline
// of long sides costly to mesh again.
constexpr double kMostPieces = 16;
// Rows tried for each corner: the nearest whole point to a place along the
// side lies within about 1 / kRows of the side's length of it.
constexpr int64_t kRows = 4096;

__int128 floorDiv(__int128 n, __int128 d) {  // d > 0
    const __int128 q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

// x and y with a x + b y = gcd(a, b), which may come out negative.
void euclid(int64_t a, int64_t b, int64_t& x, int64_t& y, int64_t& g) {
    int64_t x0 = 1, y0 = 0, x1 = 0, y1 = 1;
    while (b != 0) {
        const int64_t q = a / b;
        int64_t t = a - q * b;
        a = b, b = t;
        t = x0 - q * x1, x0 = x1, x1 = t;
        t = y0 - q * y1, y0 = y1, y1 = t;
    }
    x = x0, y = y0, g = a;
}

// The whole points of side a -> b that bend it into `pieces` parts at most
// `rows` rows in on side s, near the even places along it, in order: the
// shallowest within a sixteenth of a part of each place, else the nearest.
std::vector<IPoint> bendCorners(IPoint a, IPoint b, int s, int64_t rows, int pieces, int64_t& deepest) {
    const int64_t dx = b.x - a.x, dy = b.y - a.y;
    const __int128 len2 = __int128(dx) * dx + __int128(dy) * dy;
    // Whole points of a row lie (ux, uy) apart, a g-th of the side; (ox,
    // oy) is one row in: ux oy - uy ox = 1.
    const int64_t g = std::gcd(dx, dy), ux = dx / g, uy = dy / g;
    int64_t p, q, unit;
    euclid(ux, uy, p, q, unit);
    const int64_t oy = p * unit, ox = -q * unit;
    const __int128 step = __int128(ux) * dx + __int128(uy) * dy;  // len2 / g
    std::vector<IPoint> at;
    deepest = 0;
    __int128 lastAlong = 0;
    for (int j = 1; j < pieces; ++j) {
        __int128 bestErr = -1, bestAlong = 0;
        int64_t bestRow = 0;
        IPoint best{0, 0};
        for (int64_t k = 1; k <= rows; ++k) {
            const __int128 rx = __int128(s) * k * ox, ry = __int128(s) * k * oy;
            const __int128 dot = rx * dx + ry * dy;
            // The steps m along the side that bring (dot + m step) / len2 nearest j / pieces.
            const __int128 num = __int128(j) * len2 - __int128(pieces) * dot, den = __int128(pieces) * step;
            const __int128 m = floorDiv(2 * num + den, 2 * den);
            const __int128 along = dot + m * step;  // len2 times the place along the side
            __int128 err = __int128(pieces) * along - __int128(j) * len2;
            if (err < 0) err = -err;
            if (bestErr < 0 || err < bestErr) {
                bestErr = err, bestAlong = along, bestRow = k;
                best = {a.x + int64_t(rx + m * ux), a.y + int64_t(ry + m * uy)};
            }
            if (16 * err <= len2) break;
        }
        // Rows whose points fall together leave fewer, longer parts.
        if (bestErr < 0 || bestAlong <= lastAlong || bestAlong >= len2) continue;
        lastAlong = bestAlong;
        deepest = std::max(deepest, bestRow * g);
        at.push_back(best);
    }
    return at;
}

// Whether the bend leaves the polygon simple: its corners inside, no corner
// of the outline within the sliver it cuts off, and no edges crossing.
bool bendFits(const SolidPolygon& polygon, const SolidPolygon& bent, IPoint a, IPoint b, const std::vector<IPoint>& at) {
    for (const IPoint& p : at)
        if (!polygonHolds(polygon, p)) return false;
    Ring sliver{a};
    sliver.insert(sliver.end(), at.begin(), at.end());
    sliver.push_back(b);
    return cutKeepsSimple(polygon, bent, sliver, {a, b});
}

}  // namespace

std::vector<SideBend> bendSparseSides(SolidPolygon& polygon, double piece, size_t& budget) {
    std::vector<SideBend> bends;
    const size_t rings = 1 + polygon.holes.size();
    for (size_t which = 0; which < rings; ++which) {
        Ring* ring = which == 0 ? &polygon.outer : &polygon.holes[which - 1];
        // The solid on the left of each side, under cross, when s is 1.
        const int s = (ringArea(*ring) > 0) == (which == 0) ? 1 : -1;
        for (size_t i = 0; i < ring->size(); ++i) {
            const size_t n = ring->size();
            const IPoint a = (*ring)[i], b = (*ring)[(i + 1) % n];
            const int64_t g = std::gcd(b.x - a.x, b.y - a.y);
            const double length = std::sqrt(double(length2(a, b)));
            if (length <= piece * double(g) || length > 2 * piece * kMostPieces) continue;
            if (budget == 0) return bends;
            --budget;
            // Rows less than a file unit in: g k / length < 1.
            int64_t rows = std::min<int64_t>(kRows, int64_t(length / double(g)));
            while (rows > 0 && __int128(rows * g) * (rows * g) >= __int128(length2(a, b))) --rows;
            const int pieces = int(std::min(kMostPieces, std::ceil(length / piece)));
            int64_t deepest = 0;
            const std::vector<IPoint> at = bendCorners(a, b, s, rows, pieces, deepest);
            if (at.empty()) continue;
            SolidPolygon bent = polygon;
            Ring& r = which == 0 ? bent.outer : bent.holes[which - 1];
            r.insert(r.begin() + long(i) + 1, at.begin(), at.end());
            if (!bendFits(polygon, bent, a, b, at)) continue;
            polygon = std::move(bent);
            ring = which == 0 ? &polygon.outer : &polygon.holes[which - 1];
            Ring sliver{a};
            sliver.insert(sliver.end(), at.begin(), at.end());
            sliver.push_back(b);
            const __int128 cut2 = ringArea(sliver);
            bends.push_back({a, b, at, double(deepest) / length, int64_t(cut2 < 0 ? -cut2 : cut2)});
            i += at.size();
        }
    }
    return bends;
}

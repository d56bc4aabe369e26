// The search for a lone side's triangle: every whole point that a corner
// able to keep the triangle on screen could stand at, weighed exactly.
#include "tools/shapes/lone_sides.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <vector>

#include "tools/levels/level_check.h"
#include "tools/shapes/ear_clip.h"
#include "tools/shapes/segments.h"

namespace {

// The culling box's half sizes in file units (870.4 and 652.8 world).
constexpr double kBoxX = 870.4 / kFileToWorld, kBoxY = 652.8 / kFileToWorld;
// The half screen, a little small, in file units (512 and 384 world).
constexpr double kScreenX = 510.0 / kFileToWorld, kScreenY = 382.0 / kFileToWorld;
// File units added round the boxes, against rounding in their bounds.
constexpr double kMargin = 2;
// Points of the side whose cameras bound the search, and of each side of a
// triangle whose cameras are tried as witnesses that it can vanish.
constexpr int kAlong = 64;
constexpr int kWitnessSteps = 8;

// Whether v lies in the culling box round the camera at (cx, cy), taken a
// little large.
bool inBox(IPoint v, double cx, double cy) {
    return std::fabs(double(v.x) - cx) <= kBoxX + kMargin && std::fabs(double(v.y) - cy) <= kBoxY + kMargin;
}

bool crossesProperly(IPoint a, IPoint b, IPoint c, IPoint d) {
    const int d1 = sign(cross(a, b, c)), d2 = sign(cross(a, b, d)), d3 = sign(cross(c, d, a)), d4 = sign(cross(c, d, b));
    return d1 * d2 < 0 && d3 * d4 < 0;
}

// Whether the triangle a, b, p, with p in the polygon, may lie in it: no
// edge crosses its sides and no corner lies inside it. Lenient where it
// touches the outline, so that a side found to have no triangle has none.
bool mayLieInside(const SolidPolygon& polygon, IPoint a, IPoint b, IPoint p) {
    auto clear = [&](const Ring& r) {
        for (size_t i = 0; i < r.size(); ++i) {
            const IPoint q = r[i], s = r[(i + 1) % r.size()];
            if (crossesProperly(a, p, q, s) || crossesProperly(p, b, q, s)) return false;
            if (cross(a, b, q) > 0 && cross(b, p, q) > 0 && cross(p, a, q) > 0) return false;
        }
        return true;
    };
    if (!clear(polygon.outer)) return false;
    for (const Ring& h : polygon.holes)
        if (!clear(h)) return false;
    return true;
}

// A quick witness that the triangle a, b, p can vanish: a camera that
// shows a point of its outline with none of its corners in the culling box.
// Most places fail here, sparing them the exact test.
bool surelyVanishes(IPoint a, IPoint b, IPoint p) {
    const IPoint corner[3] = {a, b, p};
    for (int side = 0; side < 3; ++side) {
        const IPoint u = corner[side], v = corner[(side + 1) % 3];
        for (int k = 0; k <= kWitnessSteps; ++k) {
            const double t = double(k) / kWitnessSteps;
            const double qx = double(u.x) + t * double(v.x - u.x), qy = double(u.y) + t * double(v.y - u.y);
            for (int ox = -1; ox <= 1; ox += 2)
                for (int oy = -1; oy <= 1; oy += 2) {
                    const double cx = qx + ox * kScreenX, cy = qy + oy * kScreenY;
                    if (!inBox(a, cx, cy) && !inBox(b, cx, cy) && !inBox(p, cx, cy)) return true;
                }
        }
    }
    return false;
}

}  // namespace

LoneSide loneSide(const SolidPolygon& polygon, IPoint before, IPoint a, IPoint b, IPoint after, size_t& budget) {
    if (std::gcd(b.x - a.x, b.y - a.y) != 1) return LoneSide::divisible;
    // At a reflex or flat end an edge can run on past it, through it.
    if (cross(before, a, b) <= 0 || cross(a, b, after) <= 0) return LoneSide::divisible;
    return sideCorners(polygon, a, b, budget, 1, nullptr);
}

LoneSide sideCorners(const SolidPolygon& polygon, IPoint a, IPoint b, size_t& budget, size_t limit,
                     std::vector<IPoint>* corners) {
    const int64_t dx = b.x - a.x, dy = b.y - a.y;
    size_t found = 0;
    // Any camera that shows a point of the side shows part of its
    // triangle. Where such a camera has neither end of the side in its
    // culling box, the third corner must be in it: the corner lies in every
    // such box. Screen and box are taken a little small, so that each
    // camera surely shows the point and surely misses the ends.
    double lx = -1e300, hx = 1e300, ly = -1e300, hy = 1e300;
    bool bound = false;
    for (int k = 0; k <= kAlong; ++k) {
        const double t = double(k) / kAlong;
        const double qx = double(a.x) + t * double(dx), qy = double(a.y) + t * double(dy);
        for (int ox = -1; ox <= 1; ++ox)
            for (int oy = -1; oy <= 1; ++oy) {
                const double cx = qx + ox * kScreenX, cy = qy + oy * kScreenY;
                if (inBox(a, cx, cy) || inBox(b, cx, cy)) continue;
                bound = true;
                lx = std::max(lx, cx - kBoxX - kMargin), hx = std::min(hx, cx + kBoxX + kMargin);
                ly = std::max(ly, cy - kBoxY - kMargin), hy = std::min(hy, cy + kBoxY + kMargin);
            }
    }
    if (!bound) return LoneSide::divisible;
    if (lx > hx || ly > hy) return LoneSide::never;
    // ... and within the polygon's bounds.
    int64_t loX = int64_t(std::floor(lx)), hiX = int64_t(std::ceil(hx));
    int64_t loY = int64_t(std::floor(ly)), hiY = int64_t(std::ceil(hy));
    int64_t bx0 = a.x, bx1 = a.x, by0 = a.y, by1 = a.y;
    for (const IPoint& q : polygon.outer)
        bx0 = std::min(bx0, q.x), bx1 = std::max(bx1, q.x), by0 = std::min(by0, q.y), by1 = std::max(by1, q.y);
    loX = std::max(loX, bx0), hiX = std::min(hiX, bx1), loY = std::max(loY, by0), hiY = std::min(hiY, by1);
    // A triangle is never thicker than its corner's height over the side.
    const double leastHeight = kMinThickness / kFileToWorld * std::sqrt(double(length2(a, b)));  // as cross(a, b, p)
    std::vector<const Ring*> rings{&polygon.outer};
    size_t outline = polygon.outer.size();
    for (const Ring& h : polygon.holes) rings.push_back(&h), outline += h.size();
    // Each row and each point weighed costs one of the budget, and a walk
    // round the outline one for every 64 corners.
    const size_t walkCost = 1 + outline / 64;
    std::vector<double> xs;
    for (int64_t y = loY; y <= hiY; ++y) {
        if (budget < walkCost) return LoneSide::unknown;
        budget -= walkCost;
        // The row's stretches inside, between where its edges cross it; a
        // point within half a unit of a crossing is walked exactly.
        xs.clear();
        // From, to, and the crossings either side (far off for an edge
        // along the row, whose points are all on the outline).
        std::vector<std::tuple<int64_t, int64_t, double, double>> stretches;
        for (const Ring* r : rings)
            for (size_t i = 0; i < r->size(); ++i) {
                const IPoint p = (*r)[i], q = (*r)[(i + 1) % r->size()];
                if (p.y == y && q.y == y) stretches.emplace_back(std::min(p.x, q.x), std::max(p.x, q.x), -1e300, 1e300);
                if ((p.y > y) != (q.y > y))
                    xs.push_back(double(p.x) + double(y - p.y) * double(q.x - p.x) / double(q.y - p.y));
            }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            stretches.emplace_back(int64_t(std::floor(xs[k])), int64_t(std::ceil(xs[k + 1])), xs[k], xs[k + 1]);
        std::sort(stretches.begin(), stretches.end());
        int64_t done = loX - 1;  // stretches may overlap at their ends
        for (const auto& [from, to, left, right] : stretches)
            for (int64_t x = std::max(from, std::max(loX, done + 1)); x <= std::min(to, hiX); ++x) {
                done = x;
                const IPoint p{x, y};
                if (double(cross(a, b, p)) < leastHeight * (1 - 1e-9)) continue;
                const MeshTriangle t{{a, b, p}};
                if (meshThickness(t) < kMinThickness) continue;
                if (double(x) - left <= 0.5 || right - double(x) <= 0.5) {
                    if (budget < walkCost) return LoneSide::unknown;
                    budget -= walkCost;
                    if (!polygonHolds(polygon, p)) continue;
                }
                if (budget == 0) return LoneSide::unknown;
                --budget;
                if (surelyVanishes(a, b, p) || meshCanVanish(t) || !mayLieInside(polygon, a, b, p)) continue;
                if (corners) corners->push_back(p);
                if (++found == limit) return LoneSide::fits;
            }
    }
    return found > 0 ? LoneSide::fits : LoneSide::never;
}

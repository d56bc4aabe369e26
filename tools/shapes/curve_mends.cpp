// Corners of short sides off the author's own taken out of a solid's
// outlines, and small gaps filled: a corner may go where its triangle with
// its neighbours is shallow and holds no other corner of the polygon, so
// nothing crosses.
#include "tools/shapes/curve_mends.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "tools/shapes/segments.h"
#include "tools/shapes/shape_union.h"

namespace {

// Sides shorter than 50 world units (in file units, squared) between two
// outward corners hold no triangle thick enough.
constexpr double kShortSide2 = (50 / 1.5) * (50 / 1.5);
// At the very last, a hole under 80 across is filled too: every triangle
// around one so small is thin where its corners meet the sides near, and
// a hole inside the solid is out of every ball's reach.
constexpr double kLastHole2 = (80 / 1.5) * (80 / 1.5);
// A corner this near the line between its neighbours, in file units, is
// all but straight: rounding alone bends a line by up to half a point.
constexpr double kStraightDepth = 1.0;

// sqrt rounds exactly everywhere, unlike hypot, so every build decides alike.
double length(double x, double y) { return std::sqrt(x * x + y * y); }

// Whether a corner of the polygon lies in the closed triangle uvw, other
// than the ring's own corners `own` that the change moves or keeps, each
// once: another ring touching at one counts; or a corner of another polygon.
bool holdsCorner(const SolidPolygon& polygon, const std::vector<IPoint>& elsewhere, IPoint u, IPoint v, IPoint w,
                 std::initializer_list<IPoint> own, size_t& budget) {
    if (cross(u, v, w) < 0) std::swap(v, w);
    if (triangleHoldsAny(elsewhere, u, v, w)) return true;
    int seen[4] = {0, 0, 0, 0};
    const auto inside = [&](const Ring& r) {
        budget -= std::min(budget, r.size());
        for (const IPoint& q : r) {
            if (!triangleHolds(u, v, w, q)) continue;
            const auto k = std::find(own.begin(), own.end(), q);
            if (k == own.end() || ++seen[k - own.begin()] > 1) return true;
        }
        return false;
    };
    if (inside(polygon.outer)) return true;
    for (const Ring& h : polygon.holes)
        if (inside(h)) return true;
    return false;
}

// How far across the gap with corners [first, last) is (the diagonal of
// their bounds), and whether another polygon may be an island in it.
template <class It>
double gapAcross(It first, It last, const std::vector<IPoint>& elsewhere, bool& holdsIsland) {
    int64_t minX = first->x, maxX = minX, minY = first->y, maxY = minY;
    for (It p = first; p != last; ++p) {
        minX = std::min(minX, p->x), maxX = std::max(maxX, p->x);
        minY = std::min(minY, p->y), maxY = std::max(maxY, p->y);
    }
    holdsIsland = false;
    for (auto q = std::lower_bound(elsewhere.begin(), elsewhere.end(), IPoint{minX, INT64_MIN});
         q != elsewhere.end() && q->x <= maxX && !holdsIsland; ++q)
        holdsIsland = q->y >= minY && q->y <= maxY;
    return length(double(maxX - minX), double(maxY - minY));
}

// An outline that touches itself can pinch off a gap where shapes meet (a
// slit a unit wide between chords that almost meet): that loop, under
// `limit2` across squared and with no corner of `fixed` (sorted) nor
// another polygon in it, is filled as a hole would be.
void fillPinchedGaps(Ring& ring, int solidSide, const std::vector<IPoint>& fixed, const std::vector<IPoint>& elsewhere,
                     double limit2, std::vector<CurveMend>& mends, size_t& budget) {
    const auto isFixed = [&](IPoint p) { return std::binary_search(fixed.begin(), fixed.end(), p); };
    for (size_t i = 0; i < ring.size() && budget > 0; ++i)
        for (size_t k = i + 1; k < ring.size(); ++k) {
            if (ring[k] != ring[i]) continue;
            budget -= std::min(budget, k - i);
            __int128 area2 = 0;
            for (size_t m = i; m < k; ++m) area2 += cross(IPoint{0, 0}, ring[m], ring[m + 1]);
            bool holdsIsland = false;
            const double across = gapAcross(ring.begin() + long(i), ring.begin() + long(k), elsewhere, holdsIsland);
            // Solid lies on the same side of the loop as of the ring: the
            // loop is empty where it turns the other way round.
            const bool empty = area2 != 0 && (area2 > 0) != (solidSide > 0);
            if (!empty || across * across >= limit2 || holdsIsland ||
                std::any_of(ring.begin() + long(i) + 1, ring.begin() + long(k), isFixed))
                continue;
            mends.push_back({ring[i + 1], -int64_t(area2 < 0 ? -area2 : area2), across / 2, true});
            ring.erase(ring.begin() + long(i) + 1, ring.begin() + long(k) + 1);
            k = i;
        }
}

// A corner within a point of the line between its neighbours (where a cut
// joined two sides that were all but in line) splits a long side that a
// triangle could otherwise run along whole: taken out, though neither
// side is short. Never two side by side, so the outline moves by under a
// point: a gentle curve is not worn away corner by corner.
template <class IsFixed>
void straightenCorners(const SolidPolygon& polygon, Ring& ring, int solidSide, IsFixed isFixed,
                       const std::vector<IPoint>& elsewhere, const SideIndex& otherSides, std::vector<CurveMend>& mends,
                       size_t& budget) {
    bool firstGone = false;  // then the last corner is the first's neighbour
    for (size_t i = 0; ring.size() > 3 && i + firstGone < ring.size() && budget > 0; ++i) {
        const size_t n = ring.size();
        const IPoint u = ring[(i + n - 1) % n], v = ring[i], w = ring[(i + 1) % n];
        const __int128 c = cross(u, v, w);
        const double depth = double(c < 0 ? -c : c) / std::sqrt(double(length2(u, w)));
        const bool grows = -c * solidSide > 0;
        if (isFixed(v) || !(depth < kStraightDepth) || (grows && otherSides.crossedBy(u, w)) ||
            holdsCorner(polygon, elsewhere, u, v, w, {u, v, w}, budget))
            continue;
        mends.push_back({v, int64_t(c * solidSide), depth, false, true});
        ring.erase(ring.begin() + long(i));
        firstGone = firstGone || i == 0;
        // The next corner's neighbours are no longer those drawn: kept.
    }
}

}  // namespace

std::vector<CurveMend> mendCurveSides(SolidPolygon& polygon, const std::vector<IPoint>& fixed,
                                      const std::vector<IPoint>& elsewhere, const SideIndex& otherSides,
                                      const MendLimits& limits, size_t& budget) {
    const double deepest = limits.deepest;
    const bool lastTry = limits.lastTry;
    std::vector<CurveMend> mends;
    const auto isFixed = [&](IPoint p) { return std::binary_search(fixed.begin(), fixed.end(), p); };
    const auto magnitude = [](__int128 v) { return double(v < 0 ? -v : v); };
    for (size_t index = 0; index <= polygon.holes.size(); ++index) {
        Ring& ring = index == 0 ? polygon.outer : polygon.holes[index - 1];
        // The solid lies left of an outer ring turning counter-clockwise,
        // right of a hole's.
        __int128 area2 = 0;
        for (size_t i = 0; i < ring.size(); ++i) area2 += cross(IPoint{0, 0}, ring[i], ring[(i + 1) % ring.size()]);
        const int solidSide = (area2 > 0) == (index == 0) ? 1 : -1;
        if (limits.pinched) fillPinchedGaps(ring, solidSide, fixed, elsewhere, kLastHole2, mends, budget);
        for (size_t i = 0; ring.size() > (lastTry ? 3 : 4) && i < ring.size() && budget > 0;) {
            const size_t n = ring.size(), j = (i + 1) % n;
            const IPoint before = ring[(i + n - 1) % n], a = ring[i], b = ring[j], after = ring[(j + 1) % n];
            if (double(length2(a, b)) >= kShortSide2 || (isFixed(a) && isFixed(b))) {
                ++i;
                continue;
            }
            // Either end may go, or where both turn the same way both may
            // join into one corner: whatever moves the outline least.
            struct Option {
                size_t gone = 0;  // the corner taken out; the other, if joined, moves to `to`
                bool joined = false;
                IPoint to{0, 0};
                __int128 grown2 = 0;  // twice the ring's area gained
                double depth = 0;
            };
            std::vector<Option> options;
            for (const size_t k : {i, j}) {
                const IPoint u = ring[(k + n - 1) % n], v = ring[k], w = ring[(k + 1) % n];
                if (isFixed(v)) continue;
                const __int128 c = cross(u, v, w);
                options.push_back({k, false, v, -c, magnitude(c) / std::sqrt(double(length2(u, w)))});
            }
            const __int128 ta = cross(before, a, b), tb = cross(a, b, after);
            if (!isFixed(a) && !isFixed(b) && ((ta > 0 && tb > 0) || (ta < 0 && tb < 0))) {
                // Where the sides either side meet: before + s (a - before) = after + t (b - after).
                const double ux = double(a.x - before.x), uy = double(a.y - before.y);
                const double vx = double(b.x - after.x), vy = double(b.y - after.y);
                const double dx = double(after.x - before.x), dy = double(after.y - before.y);
                const double det = vx * uy - ux * vy;
                const double s = det != 0 ? (vx * dy - dx * vy) / det : -1, t = det != 0 ? (ux * dy - uy * dx) / det : -1;
                const double mx = (double(a.x) + double(b.x)) / 2, my = (double(a.y) + double(b.y)) / 2;
                double jx = double(before.x) + s * ux, jy = double(before.y) + s * uy;
                if (!(s > 1) || !(t > 1) || !(length(jx - mx, jy - my) <= deepest)) jx = mx, jy = my;
                const IPoint to{int64_t(std::llround(jx)), int64_t(std::llround(jy))};
                const __int128 grown = cross(IPoint{0, 0}, before, to) + cross(IPoint{0, 0}, to, after) -
                                       cross(IPoint{0, 0}, before, a) - cross(IPoint{0, 0}, a, b) - cross(IPoint{0, 0}, b, after);
                // Not onto a neighbour, which would leave a side of no length.
                if (to != before && to != after)
                    options.push_back({j, true, to, grown, length(double(to.x) - mx, double(to.y) - my)});
            }
            // Stable, so that ties go the same way with every standard library.
            std::stable_sort(options.begin(), options.end(),
                      [&](const Option& p, const Option& q) { return magnitude(p.grown2) < magnitude(q.grown2); });
            const Option* chosen = nullptr;
            static const std::vector<IPoint> none;
            for (const Option& o : options) {
                if (!(o.depth <= deepest)) continue;
                const IPoint u = ring[(o.gone + n - 1) % n], v = ring[o.gone], w = ring[(o.gone + 1) % n];
                // A corner cut off takes away solid: at the last try, other
                // polygons touching it there do not hold it.
                const std::vector<IPoint>& others = lastTry && o.grown2 * solidSide < 0 ? none : elsewhere;
                // Solid gained must not reach over a side of another polygon
                // drawn a hair away, which has no corner there.
                const bool overSide = o.joined ? otherSides.crossedBy(before, o.to) || otherSides.crossedBy(o.to, after)
                                               : o.grown2 * solidSide > 0 && otherSides.crossedBy(u, w);
                if (overSide) continue;
                // Between the old path and the new: a fan from the new corner.
                const bool clear = o.joined ? !holdsCorner(polygon, elsewhere, before, a, o.to, {before, a, b, after}, budget) &&
                                                  !holdsCorner(polygon, elsewhere, a, b, o.to, {before, a, b, after}, budget) &&
                                                  !holdsCorner(polygon, elsewhere, b, after, o.to, {before, a, b, after}, budget)
                                            : !holdsCorner(polygon, others, u, v, w, {u, v, w}, budget);
                if (clear) {
                    chosen = &o;
                    break;
                }
            }
            if (!chosen) {
                ++i;
                continue;
            }
            mends.push_back({chosen->joined ? chosen->to : ring[chosen->gone], int64_t(-chosen->grown2 * solidSide),
                             chosen->depth, false});
            if (chosen->joined) ring[i] = chosen->to;
            const size_t gone = chosen->gone;
            ring.erase(ring.begin() + long(gone));
            // The sides either side of it may now be short.
            i = gone > 0 ? gone - 1 : 0;
            if (i >= ring.size()) i = 0;
        }
        if (limits.straighten) straightenCorners(polygon, ring, solidSide, isFixed, elsewhere, otherSides, mends, budget);
        ring = withoutStraightPoints(ring);
        if (!ring.empty()) std::rotate(ring.begin(), std::min_element(ring.begin(), ring.end()), ring.end());
    }
    // A gap left where shapes meet, under 50 units across and with no
    // corner an author drew, is filled: no ball fits in it, and no
    // triangle around it could be thick enough.
    for (auto h = polygon.holes.begin(); h != polygon.holes.end();) {
        if (h->empty()) {
            h = polygon.holes.erase(h);
            continue;
        }
        bool holdsIsland = false;
        const double across = gapAcross(h->begin(), h->end(), elsewhere, holdsIsland);
        if (across * across >= (limits.smallHoles ? kLastHole2 : kShortSide2) || std::any_of(h->begin(), h->end(), isFixed) ||
            holdsIsland) {
            ++h;
            continue;
        }
        __int128 area2 = 0;
        for (size_t i = 0; i < h->size(); ++i) area2 += cross(IPoint{0, 0}, (*h)[i], (*h)[(i + 1) % h->size()]);
        mends.push_back({h->front(), -int64_t(area2 < 0 ? -area2 : area2), across / 2, true});
        h = polygon.holes.erase(h);
    }
    std::sort(polygon.holes.begin(), polygon.holes.end());
    return mends;
}

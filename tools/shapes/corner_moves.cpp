// Short sides lengthened by moving their inward end. A side of length L
// with no whole point along it is one triangle's edge, and that triangle is
// 40 thick only with its third corner h away: L h / sqrt(h^2 + L^2) >= 40.
// At L = 41 that is h = 182; at L = 43, 109. Beside a convex corner of
// angle A whose other side is T long, the triangles on the two sides take
// asin(40 / L) + asin(40 / T) of A between them: at A = 90° and T = 84, L
// must be 46.
#include "tools/shapes/corner_moves.h"

#include <algorithm>

#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"

namespace {

bool atFaultHas(const std::vector<IPoint>& atFault, IPoint p) {
    return atFault.empty() || std::binary_search(atFault.begin(), atFault.end(), p);
}

// The best new place for inward corner b of side a-b, whose neighbours on
// the ring are prev and next, or b itself. s is 1 where the solid lies on
// the left of each side. The whole points within sqrt(reach2) of b are
// weighed: the one that lengthens the side most, on the solid's side of both
// edges (so nothing is added), the nearer the side's line the better.
IPoint bestPlace(IPoint a, IPoint b, IPoint prev, IPoint next, int s, int64_t reach2) {
    IPoint best = b;
    int64_t bestLength2 = length2(a, b);
    __int128 bestOff = 0;
    int64_t reach = 0;  // the most a corner moves along either axis
    while ((reach + 1) * (reach + 1) <= reach2) ++reach;
    for (int64_t dy = -reach; dy <= reach; ++dy)
        for (int64_t dx = -reach; dx <= reach; ++dx) {
            const IPoint p{b.x + dx, b.y + dy};
            if (p == b || dx * dx + dy * dy > reach2 || (b.x - a.x) * dx + (b.y - a.y) * dy <= 0) continue;
            if (s * cross(prev, b, p) < 0 || s * cross(b, next, p) < 0) continue;
            const int64_t l2 = length2(a, p);
            __int128 off = cross(a, b, p);
            if (off < 0) off = -off;
            if (l2 > bestLength2 || (l2 == bestLength2 && best != b && off < bestOff))
                best = p, bestLength2 = l2, bestOff = off;
        }
    return best;
}

// Whether b moved to p leaves the polygon simple: p inside, no other corner
// in what is cut off, no edges crossing.
bool moveFits(const SolidPolygon& polygon, const SolidPolygon& moved, IPoint prev, IPoint b, IPoint next, IPoint p) {
    return polygonHolds(polygon, p) && cutKeepsSimple(polygon, moved, {prev, b, next, p}, {prev, b, next});
}

}  // namespace

std::vector<CornerMove> lengthenShortSides(SolidPolygon& polygon, double shortest, double longest, int64_t reach2,
                                           const std::vector<IPoint>& atFault, size_t& budget) {
    std::vector<CornerMove> moves;
    const size_t rings = 1 + polygon.holes.size();
    for (size_t which = 0; which < rings; ++which) {
        Ring* ring = which == 0 ? &polygon.outer : &polygon.holes[which - 1];
        const int s = (ringArea(*ring) > 0) == (which == 0) ? 1 : -1;
        const size_t n = ring->size();
        if (n < 4) continue;
        for (size_t i = 0; i < n; ++i) {
            const IPoint prev = (*ring)[(i + n - 1) % n], b = (*ring)[i], next = (*ring)[(i + 1) % n];
            if (s * cross(prev, b, next) >= 0 || !atFaultHas(atFault, b)) continue;  // b must turn inwards
            for (const IPoint a : {prev, next}) {
                const double l2 = double(length2(a, b));
                if (l2 < shortest * shortest || l2 > longest * longest) continue;
                if (budget == 0) return moves;
                --budget;
                const IPoint p = bestPlace(a, b, prev, next, s, reach2);
                if (p == b) continue;
                SolidPolygon moved = polygon;
                (which == 0 ? moved.outer : moved.holes[which - 1])[i] = p;
                if (!moveFits(polygon, moved, prev, b, next, p)) continue;
                const __int128 cut2 = s * (ringArea(*ring) - ringArea(which == 0 ? moved.outer : moved.holes[which - 1]));
                polygon = std::move(moved);
                ring = which == 0 ? &polygon.outer : &polygon.holes[which - 1];
                moves.push_back({a, b, p, int64_t(cut2)});
                break;
            }
        }
    }
    return moves;
}

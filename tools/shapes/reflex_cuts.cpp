// Cuts at reflex corners. Every new point is a whole point on the outline
// or inside, so the pieces together cover the polygon exactly.
#include "tools/shapes/reflex_cuts.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "tools/levels/level_check.h"
#include "tools/shapes/edge_divisions.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_union.h"
#include "tools/shapes/thickest_triangulation.h"

namespace {

// A through cut's line runs at least this far past the reflex corner
// (45 world units), and the first cut meets it no more askew than this
// cosine (45 degrees either way).
constexpr double kThroughReach = 30;
constexpr double kThroughCosine = 0.71;
// Work bounds of a through cut: rings and pieces it weighs, places along
// each line, and the corners each cut may start or end at.
constexpr size_t kThroughPieceCorners = 40;
constexpr int kThroughSteps = 4;
constexpr size_t kThroughCorners = 4;
constexpr size_t kThroughTries = 64;  // pieces weighed per corner

// Splits the ring along a cut from corner i through the points of path to
// corner j: first runs from i round to j and back along the path, second
// from j round to i and on along it.
void splitRing(const Ring& r, size_t i, size_t j, const Ring& path, Ring& first, Ring& second) {
    const Ring one = ringSpan(r, i, j), two = ringSpan(r, j, i);
    first.insert(first.end(), one.begin(), one.end());
    second.insert(second.end(), two.begin(), two.end());
    first.insert(first.end(), path.rbegin(), path.rend());
    second.insert(second.end(), path.begin(), path.end());
}

// Whether the segment from corner p of the ring to point x meets no edge of
// the ring but those at p.
bool unblocked(const Ring& r, size_t p, IPoint x) {
    const IPoint P = r[p];
    for (size_t q = 0; q < r.size(); ++q) {
        const IPoint u = r[q], w = r[(q + 1) % r.size()];
        IPoint at;
        if (u != P && w != P && segmentsMeet(P, x, u, w, at)) return false;
    }
    return true;
}

// Whether the segment from corner p of the ring to point x runs inside it,
// meeting the outline only at p.
bool sees(const Ring& r, size_t p, IPoint x) { return inSector(r, p, x) && unblocked(r, p, x); }

// The point b + d * t / den, when it is a whole point.
bool wholeAt(IPoint b, IPoint d, __int128 t, __int128 den, IPoint& c) {
    const __int128 hx = __int128(b.x) * den + __int128(d.x) * t, hy = __int128(b.y) * den + __int128(d.y) * t;
    if (hx % den != 0 || hy % den != 0) return false;
    c = {int64_t(hx / den), int64_t(hy / den)};
    return true;
}

// The corner at point c of edge `edge`: one of its ends, or one inserted
// between them, which moves the index `keep` on when it lies beyond.
size_t cornerOnEdge(Ring& r, size_t edge, IPoint c, size_t& keep) {
    if (c == r[edge]) return edge;
    if (c == r[(edge + 1) % r.size()]) return (edge + 1) % r.size();
    r.insert(r.begin() + long(edge) + 1, c);
    if (keep > edge) ++keep;
    return edge + 1;
}

// A cut from corner i along d whose end, on edge `edge` at b + d * t / den,
// is not a whole point: it stops at the last whole point of its line before
// that end (inner) and turns to a corner j of the ring that point sees. The
// short edge then runs on into a long one all the same.
bool bentCut(const Ring& ring, size_t i, IPoint d, size_t edge, __int128 t, __int128 den, int64_t beyond, IPoint& inner,
             size_t& j) {
    const size_t n = ring.size();
    const IPoint b = ring[i];
    const int64_t g = std::gcd(d.x, d.y);
    const IPoint step{d.x / g, d.y / g};
    // The end lies g * t / den steps along: the bend is the whole step
    // nearest halfway, so that neither piece comes out thin at it.
    const __int128 last = (__int128(g) * t - 1) / den;
    const __int128 k = std::min(last, std::max<__int128>(beyond + 1, (__int128(g) * t + den) / (2 * den)));
    if (k < beyond + 1) return false;
    inner = {b.x + step.x * int64_t(k), b.y + step.y * int64_t(k)};
    const IPoint p = ring[edge], q = ring[(edge + 1) % n];
    auto along = [&](IPoint x) { return __int128(x.x - inner.x) * step.x + __int128(x.y - inner.y) * step.y; };
    size_t target = along(p) >= along(q) ? edge : (edge + 1) % n;
    const IPoint P = ring[target];
    // Corners inside the triangle of inner, the end and P would hide P: of
    // those, the one nearest the line of the cut.
    const IPoint ahead{inner.x + step.x, inner.y + step.y};
    const int sideP = sign(cross(inner, ahead, P));
    const int sideEnd = sign(cross(inner, P, ahead));
    IPoint best = P;
    for (size_t k2 = 0; k2 < n; ++k2) {
        const IPoint R = ring[k2];
        if (R == P || along(R) <= 0) continue;
        const int side = sign(cross(inner, ahead, R));
        if (side != 0 && side != sideP) continue;
        if (cross(p, q, R) <= 0) continue;
        if (sign(cross(inner, P, R)) == -sideEnd) continue;
        // Nearer the line first (|cross| / along), then nearer.
        const __int128 off = cross(inner, ahead, R) < 0 ? -cross(inner, ahead, R) : cross(inner, ahead, R);
        const __int128 bestOff = cross(inner, ahead, best) < 0 ? -cross(inner, ahead, best) : cross(inner, ahead, best);
        const __int128 lhs = off * along(best), rhs = bestOff * along(R);
        if (lhs < rhs || (lhs == rhs && along(R) < along(best))) {
            best = R;
            target = k2;
        }
    }
    for (size_t k2 = 0; k2 < n; ++k2)
        if (ring[k2] == best && inSector(ring, k2, inner)) {
            target = k2;
            break;
        }
    if (target == i) return false;
    // The bend must see its corner: no edge of the ring may meet the way
    // there, bar those at the corner itself.
    if (!unblocked(ring, target, inner)) return false;
    j = target;
    return true;
}

// Where the ray from corner i along d first meets the outline: at
// ring[i] + d * t / den, on edge `edge`. False when it meets none.
bool firstHit(const Ring& ring, size_t i, IPoint d, size_t& edge, __int128& bestT, __int128& bestDen) {
    const size_t n = ring.size();
    const IPoint b = ring[i];
    bool found = false;
    for (size_t k = 0; k < n; ++k) {
        const size_t k1 = (k + 1) % n;
        if (k == i || k1 == i) continue;
        const IPoint p = ring[k], q = ring[k1];
        if (cross(p, q, b) <= 0) continue;  // b must see the edge's inside face
        const IPoint e{q.x - p.x, q.y - p.y};
        __int128 den = __int128(d.x) * e.y - __int128(d.y) * e.x;
        if (den == 0) continue;
        __int128 t = __int128(p.x - b.x) * e.y - __int128(p.y - b.y) * e.x;
        __int128 u = __int128(p.x - b.x) * d.y - __int128(p.y - b.y) * d.x;
        if (den < 0) den = -den, t = -t, u = -u;
        if (t <= 0 || u < 0 || u > den) continue;
        if (!found || t * bestDen < bestT * den) {
            found = true;
            bestT = t;
            bestDen = den;
            edge = k;
        }
    }
    return found;
}

// Splits the ring along the ray from corner i along d, to the first point
// of the outline the ray meets (bending the cut at a whole point when that
// point is not one, no nearer than whole step `beyond`). False when no cut
// splits the ring into two proper pieces.
bool splitAlong(Ring& ring, size_t i, IPoint d, Ring& other, bool bend, int64_t beyond) {
    const IPoint b = ring[i];
    __int128 bestT = 0, bestDen = 1;  // hit at b + d * bestT / bestDen
    size_t edge = 0;
    const bool found = firstHit(ring, i, d, edge, bestT, bestDen);
    if (!found) return false;
    Ring r = ring;
    size_t j;
    IPoint inner{};  // a whole point the cut bends at, when it ends off the whole points
    bool bent = false;
    if (IPoint c; wholeAt(b, d, bestT, bestDen, c)) {
        j = cornerOnEdge(r, edge, c, i);
    } else if (!bend || !bentCut(ring, i, d, edge, bestT, bestDen, beyond, inner, j)) {
        return false;
    } else {
        bent = true;
    }
    Ring first, second;
    splitRing(r, i, j, bent ? Ring{inner} : Ring{}, first, second);
    first = withoutStraightPoints(first);
    second = withoutStraightPoints(second);
    if (first.empty() || second.empty() || ringArea(first) <= 0 || ringArea(second) <= 0) return false;
    ring.swap(first);
    other.swap(second);
    return true;
}

// The direction of the shorter edge at corner i, running into i.
IPoint shortEdgeDirection(const Ring& ring, size_t i) {
    const size_t n = ring.size();
    const IPoint b = ring[i], before = ring[(i + n - 1) % n], after = ring[(i + 1) % n];
    const IPoint a = length2(before, b) <= length2(b, after) ? before : after;
    return {b.x - a.x, b.y - a.y};
}

// The thinnest triangle of the thickest triangulation of the pieces (a
// quick estimate, vanishing left out), as they will be divided; pieces too
// large to weigh are left out, and with laterCuts so are triangles at
// corners still to be cut.
double piecesWorth(const std::vector<const Ring*>& pieces, bool laterCuts) {
    double worth = 1e300;
    for (const Ring* piece : pieces) {
        const Ring d = divided(*piece);
        std::vector<MeshTriangle> mesh;
        if (d.size() > kThroughPieceCorners || !triangulateThickest(d, mesh, false)) continue;
        // A reflex corner with a short edge is cut in its own turn: its thin
        // triangles now would weigh every way alike.
        Ring later;
        for (size_t k = 0; laterCuts && k < d.size(); ++k)
            if (needsCut(d, k)) later.push_back(d[k]);
        for (const MeshTriangle& m : mesh) {
            const bool cutLater = std::any_of(later.begin(), later.end(),
                                              [&](IPoint p) { return p == m.v[0] || p == m.v[1] || p == m.v[2]; });
            if (!cutLater) worth = std::min(worth, meshThickness(m));
        }
    }
    return worth;
}

}  // namespace

bool cutAt(Ring& ring, size_t i, Ring& other, bool bend) {
    return splitAlong(ring, i, shortEdgeDirection(ring, i), other, bend, 0);
}

// Where the short edge at reflex corner i would run on into a line that
// meets the outline off the whole points: the line ends instead at a
// whole point y inside, and a first cut from a corner P of the ring runs
// straight through y (to the outline, or bent at a whole point beyond y to
// a corner). The short edge's own cut then ends at y, and y lies along the
// first cut's edge in the piece beyond, which needs no corner there. Of
// the ways to place y and the first cut, the one whose pieces triangulate
// thickest. With turn, the first cut may also turn at y itself, and then y
// may lie nearer. False when none splits the ring.
bool throughCut(Ring& ring, size_t i, Ring& other, bool turn) {
    const Ring given = ring;
    const size_t n = given.size();
    if (n > kThroughPieceCorners) return false;
    const IPoint b = given[i];
    const IPoint d = shortEdgeDirection(given, i);
    const int64_t g = std::gcd(d.x, d.y);
    const IPoint s{d.x / g, d.y / g};
    size_t edge;
    __int128 t = 0, den = 1;
    if (!firstHit(given, i, s, edge, t, den)) return false;
    const __int128 last = (t - 1) / den;
    const double stepLength = std::sqrt(double(length2({0, 0}, s)));
    const int64_t first = std::max<int64_t>(1, int64_t(std::ceil(kThroughReach / stepLength)));
    double bestWorth = -1;
    bool bestNear = false;
    // Splits along P (corner p) -> path... -> corner q and weighs the pieces;
    // nearTurn marks a turn at a whole point nearer than `first`.
    size_t budget = kThroughTries;
    auto tryPath = [&](const Ring& r, size_t p, const Ring& path, size_t q, IPoint y, bool nearTurn) {
        if (budget == 0) return;
        --budget;
        Ring one, two;
        splitRing(r, p, q, path, one, two);
        Ring& mine = std::find(one.begin(), one.end(), b) != one.end() ? one : two;
        Ring& beyond = &mine == &one ? two : one;
        beyond = withoutStraightPoints(beyond);
        if (beyond.empty() || ringArea(beyond) <= 0 || ringArea(mine) <= 0) return;
        Ring cutMine = mine, rest;
        const size_t at = size_t(std::find(cutMine.begin(), cutMine.end(), b) - cutMine.begin());
        if (!cutAt(cutMine, at, rest, false) || std::find(rest.begin(), rest.end(), y) == rest.end()) return;
        // A turn at y that leaves it a reflex corner would be cut again there.
        for (const Ring* piece : {&cutMine, &rest}) {
            const size_t k = size_t(std::find(piece->begin(), piece->end(), y) - piece->begin());
            if (k < piece->size() && isReflex(*piece, k)) return;
        }
        const double worth = piecesWorth({&cutMine, &rest, &beyond}, turn);
        // A turn just past the short edge leaves the most of the ring to the
        // cuts at its other corners: it wins wherever it weighs thick enough.
        const bool fine = worth >= kMinThickness, bestFine = bestWorth >= kMinThickness;
        const bool better = fine && bestFine && nearTurn != bestNear
                                ? nearTurn
                                : worth > bestWorth || (worth == bestWorth && nearTurn && !bestNear);
        if (better) bestWorth = worth, bestNear = nearTurn, ring = mine, other = beyond;
    };
    // Where y may turn: with turn, first the whole points nearer than
    // `first` that still lie kThroughReach past the short edge's far end,
    // each with the corners nearest it; then the places of the straight
    // cuts below.
    std::vector<std::pair<IPoint, std::vector<std::pair<double, size_t>>>> turns;
    for (int64_t k = turn ? std::max<int64_t>(1, first - g) : first; k < first && k <= last; ++k) {
        const IPoint y{b.x + s.x * k, b.y + s.y * k};
        std::vector<std::pair<double, size_t>> corners;
        for (size_t p = 0; p < n; ++p)
            if (p != i && given[p] != y && sees(given, p, y)) corners.emplace_back(double(length2(y, given[p])), p);
        std::sort(corners.begin(), corners.end());
        if (corners.size() > kThroughCorners) corners.resize(kThroughCorners);
        turns.emplace_back(y, corners);
    }
    const size_t nearTurns = turns.size();
    for (int64_t k = first; k <= last && k < first + kThroughSteps; ++k) {
        const IPoint y{b.x + s.x * k, b.y + s.y * k};
        std::vector<std::pair<double, size_t>> corners;  // the most square to the line first
        for (size_t p = 0; p < n; ++p) {
            const IPoint P = given[p];
            if (p == i || P == y) continue;
            const double vx = double(y.x - P.x), vy = double(y.y - P.y);
            const double c = std::fabs(vx * double(s.x) + vy * double(s.y)) / (std::sqrt(vx * vx + vy * vy) * stepLength);
            if (c <= kThroughCosine && sees(given, p, y)) corners.emplace_back(c, p);
        }
        std::sort(corners.begin(), corners.end());
        if (corners.size() > kThroughCorners) corners.resize(kThroughCorners);
        turns.emplace_back(y, corners);
        if (turn) continue;  // the straight cuts were weighed without turns
        for (const auto& [c, p] : corners) {
            const IPoint P = given[p];
            const IPoint v{y.x - P.x, y.y - P.y};
            const int64_t gv = std::gcd(v.x, v.y);
            const IPoint step{v.x / gv, v.y / gv};
            size_t e;
            __int128 te = 0, de = 1;
            if (!firstHit(given, p, step, e, te, de) || te <= __int128(gv) * de) continue;
            if (IPoint h; wholeAt(P, step, te, de, h)) {
                // Straight to the outline: end at the corner there, or a new one.
                Ring r = given;
                size_t pp = p;
                const size_t q = cornerOnEdge(r, e, h, pp);
                tryPath(r, pp, {y}, q, y, false);
                continue;
            }
            // Bent beyond y at a whole point, to a corner it sees.
            const __int128 lastZ = (te - 1) / de;
            for (int64_t zk = gv + 1; zk <= lastZ && zk <= gv + kThroughSteps; ++zk) {
                const IPoint z{P.x + step.x * zk, P.y + step.y * zk};
                std::vector<std::pair<int64_t, size_t>> ends;  // the nearest first
                for (size_t q = 0; q < n; ++q) {
                    IPoint at;
                    if (q != p && sees(given, q, z) && !segmentsMeet(z, given[q], P, y, at))
                        ends.emplace_back(length2(z, given[q]), q);
                }
                std::sort(ends.begin(), ends.end());
                if (ends.size() > kThroughCorners) ends.resize(kThroughCorners);
                for (const auto& [l, q] : ends) tryPath(given, p, {y, z}, q, y, false);
            }
        }
    }
    if (!turn) return bestWorth >= 0;
    // Then cuts that turn at y itself, to a corner near it that sees it.
    for (size_t u = 0; u < turns.size(); ++u)
        for (const auto& [c, p] : turns[u].second) {
            const IPoint y = turns[u].first;
            std::vector<std::pair<int64_t, size_t>> ends;  // the nearest first
            for (size_t q = 0; q < n; ++q)
                if (q != p && q != i && sees(given, q, y) && cross(given[p], y, given[q]) != 0)
                    ends.emplace_back(length2(y, given[q]), q);
            std::sort(ends.begin(), ends.end());
            if (ends.size() > kThroughCorners) ends.resize(kThroughCorners);
            for (const auto& [l, q] : ends) tryPath(given, p, {y}, q, y, u < nearTurns);
        }
    return bestWorth >= 0;
}

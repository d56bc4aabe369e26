// Pieces of a polygon. Every new point lies exactly on the outline it is
// added to (a whole point of an edge, or an existing corner), so the pieces
// together cover the polygon exactly.
#include "tools/shapes/polygon_pieces.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numeric>

#include "tools/shapes/segments.h"
#include "tools/shapes/shape_union.h"

namespace {

// An edge shorter than this at a reflex corner is extended by a cut: a
// triangle is never thicker than its shortest edge (40 world units).
constexpr int64_t kShortEdge = 40;  // file units, 60 world units
// Boundary edges are divided so that none spans more than this, about a
// culling box's margin over the half screen in each direction.
constexpr int64_t kMaxEdgeX = 420;
constexpr int64_t kMaxEdgeY = 300;
// Work bounds for hostile inputs: cuts tried per polygon.
constexpr int kMaxCutTries = 4000;
// A propped edge's corner stands at least this far in (just over 40 world
// units) and leaves as much above it, found among whole points this many
// steps from its ideal place.
constexpr double kPropHeight = 26.7;
constexpr int64_t kPropSearch = 40;
// Edges with no whole point along them this long or longer are propped,
// and a prop's sides are divided at whole points about this far apart, so
// that the strips above them have corners to meet.
constexpr double kPropLength = 200;
constexpr double kPropSpacing = 80;
// A corner of the outline nearer the prop's corner than this leaves a thin
// triangle between them; nearer still, thinner.
constexpr double kPropClearance = 80;

int64_t length2(IPoint a, IPoint b) { return (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y); }

bool isReflex(const Ring& r, size_t i) {
    const size_t n = r.size();
    return cross(r[(i + n - 1) % n], r[i], r[(i + 1) % n]) < 0;
}

// Joins the hole into the ring by a bridge from the hole's rightmost corner
// to a corner of the ring it can see, found along a ray to the right.
bool bridge(Ring& ring, const Ring& hole) {
    size_t m = 0;
    for (size_t i = 1; i < hole.size(); ++i)
        if (hole[i].x > hole[m].x || (hole[i].x == hole[m].x && hole[i].y < hole[m].y)) m = i;
    const IPoint M = hole[m];
    const size_t n = ring.size();
    // Nearest crossing of the ray y = M.y, x >= M.x, with an edge facing M.
    bool found = false;
    __int128 bestNum = 0, bestDen = 1;
    size_t edge = 0;
    for (size_t i = 0; i < n; ++i) {
        const IPoint p = ring[i], q = ring[(i + 1) % n];
        if (p.y == q.y) continue;
        if ((p.y > M.y && q.y > M.y) || (p.y < M.y && q.y < M.y)) continue;
        if (cross(p, q, M) <= 0) continue;
        // x = p.x + (M.y - p.y)(q.x - p.x)/(q.y - p.y), as num/den with den > 0
        __int128 num = __int128(p.x) * (q.y - p.y) + __int128(M.y - p.y) * (q.x - p.x);
        __int128 den = q.y - p.y;
        if (den < 0) num = -num, den = -den;
        if (num < __int128(M.x) * den) continue;
        if (!found || num * bestDen < bestNum * den) {
            found = true;
            bestNum = num;
            bestDen = den;
            edge = i;
        }
    }
    if (!found) return false;
    const IPoint p = ring[edge], q = ring[(edge + 1) % n];
    size_t target;
    if (p.y == M.y && __int128(p.x) * bestDen == bestNum) target = edge;
    else if (q.y == M.y && __int128(q.x) * bestDen == bestNum) target = (edge + 1) % n;
    else {
        target = p.x > q.x ? edge : (edge + 1) % n;
        const IPoint P = ring[target];
        // A reflex corner inside the triangle M, hit, P hides P: take the one
        // nearest the ray's direction instead.
        const int sideOfP = sign(P.y - M.y);
        const int rightOfMP = sign(cross(M, P, IPoint{M.x + 1, M.y}));
        bool haveBlocker = false;
        IPoint best{};
        for (size_t i = 0; i < n; ++i) {
            const IPoint R = ring[i];
            if (R == P || R.x < M.x) continue;
            if (sign(R.y - M.y) != sideOfP && R.y != M.y) continue;
            if (cross(p, q, R) <= 0) continue;
            const int side = sign(cross(M, P, R));
            if (side != 0 && side != rightOfMP) continue;
            if (!isReflex(ring, i) && side != 0) continue;
            // Smaller |dy|/dx first, then nearer.
            const __int128 dy = R.y > M.y ? R.y - M.y : M.y - R.y, dx = R.x - M.x;
            if (dx == 0 && dy == 0) continue;
            if (!haveBlocker) {
                haveBlocker = true;
                best = R;
                target = i;
                continue;
            }
            const __int128 by = best.y > M.y ? best.y - M.y : M.y - best.y, bx = best.x - M.x;
            const __int128 lhs = dy * bx, rhs = by * dx;
            if (lhs < rhs || (lhs == rhs && dx < bx)) {
                best = R;
                target = i;
            }
        }
    }
    // Of the corners at that point (an earlier bridge doubles them), the one
    // whose inside faces M.
    const IPoint T = ring[target];
    for (size_t k = 0; k < n; ++k)
        if (ring[k] == T && inSector(ring, k, M)) {
            target = k;
            break;
        }
    Ring joined(ring.begin(), ring.begin() + long(target) + 1);
    for (size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(m + k) % hole.size()]);
    joined.insert(joined.end(), ring.begin() + long(target), ring.end());
    ring.swap(joined);
    return true;
}

// A cut from corner i along d whose end, on edge `edge` at b + d * t / den,
// is not a whole point: it stops at the last whole point of its line before
// that end (inner) and turns to a corner j of the ring that point sees. The
// short edge then runs on into a long one all the same.
bool bentCut(const Ring& ring, size_t i, IPoint d, size_t edge, __int128 t, __int128 den, IPoint& inner, size_t& j) {
    const size_t n = ring.size();
    const IPoint b = ring[i];
    const int64_t g = std::gcd(d.x, d.y);
    const IPoint step{d.x / g, d.y / g};
    // The end lies g * t / den steps along: the bend is the whole step
    // nearest halfway, so that neither piece comes out thin at it.
    const __int128 last = (__int128(g) * t - 1) / den;
    const __int128 k = std::min(last, std::max<__int128>(1, (__int128(g) * t + den) / (2 * den)));
    if (k < 1) return false;
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
    for (size_t k2 = 0; k2 < n; ++k2) {
        const IPoint u = ring[k2], v = ring[(k2 + 1) % n];
        if (u == best || v == best) continue;
        IPoint at;
        if (segmentsMeet(inner, best, u, v, at)) return false;
    }
    j = target;
    return true;
}

// Extends the short edge that ends at reflex corner i past it, to the first
// point of the outline the ray meets, and splits the ring there (bending
// the cut at a whole point when that point is not one). False when no cut
// splits the ring into two proper pieces.
bool cutAt(Ring& ring, size_t i, Ring& other, bool bend) {
    const size_t n = ring.size();
    const IPoint b = ring[i], before = ring[(i + n - 1) % n], after = ring[(i + 1) % n];
    const IPoint a = length2(before, b) <= length2(b, after) ? before : after;
    const IPoint d{b.x - a.x, b.y - a.y};
    bool found = false;
    __int128 bestT = 0, bestDen = 1;  // hit at b + d * bestT / bestDen
    size_t edge = 0;
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
    if (!found) return false;
    const __int128 hx = __int128(b.x) * bestDen + __int128(d.x) * bestT;
    const __int128 hy = __int128(b.y) * bestDen + __int128(d.y) * bestT;
    Ring r = ring;
    size_t j;
    IPoint inner{};  // a whole point the cut bends at, when it ends off the whole points
    bool bent = false;
    if (hx % bestDen == 0 && hy % bestDen == 0) {
        const IPoint c{int64_t(hx / bestDen), int64_t(hy / bestDen)};
        if (c == r[edge]) j = edge;
        else if (c == r[(edge + 1) % n]) j = (edge + 1) % n;
        else {
            r.insert(r.begin() + long(edge) + 1, c);
            j = edge + 1;
            if (i > edge) ++i;
        }
    } else if (!bend || !bentCut(ring, i, d, edge, bestT, bestDen, inner, j)) {
        return false;
    } else {
        bent = true;
    }
    const size_t m = r.size();
    Ring first, second;
    for (size_t k = i;; k = (k + 1) % m) {
        first.push_back(r[k]);
        if (k == j) break;
    }
    for (size_t k = j;; k = (k + 1) % m) {
        second.push_back(r[k]);
        if (k == i) break;
    }
    if (bent) {
        first.push_back(inner);
        second.push_back(inner);
    }
    first = withoutStraightPoints(first);
    second = withoutStraightPoints(second);
    if (first.empty() || second.empty() || ringArea(first) <= 0 || ringArea(second) <= 0) return false;
    ring.swap(first);
    other.swap(second);
    return true;
}

// Appends the whole points that divide edge a-b into `parts` about equal
// parts, as near as the edge's whole points allow (none when it has none).
void appendDivisions(IPoint a, IPoint b, int64_t parts, Ring& out) {
    const int64_t g = std::gcd(b.x - a.x, b.y - a.y);
    if (parts <= 1 || g <= 1) return;
    const int64_t sx = (b.x - a.x) / g, sy = (b.y - a.y) / g;
    int64_t last = 0;
    for (int64_t k = 1; k < parts; ++k) {
        const int64_t step = (g * k + parts / 2) / parts;
        if (step <= last || step >= g) continue;
        last = step;
        out.push_back({a.x + sx * step, a.y + sy * step});
    }
}

// Props a long outline edge with no whole point along it (so that it must
// be one triangle's edge whole) on a corner inside: the triangle of the
// edge and that corner becomes a piece of its own, and the ring runs
// through the corner instead. The corner stands about half the polygon's
// depth in from the edge's middle, at a whole point clear of the outline's
// corners whose ways to the edge's ends have whole points to divide at.
// False when no such corner fits.
bool propEdge(Ring& ring, size_t i, Ring& triangle) {
    const size_t n = ring.size();
    const IPoint a = ring[i], b = ring[(i + 1) % n];
    const double ex = double(b.x - a.x), ey = double(b.y - a.y), len = std::sqrt(ex * ex + ey * ey);
    const double nx = -ey / len, ny = ex / len;  // towards the inside
    const double mx = (double(a.x) + double(b.x)) / 2, my = (double(a.y) + double(b.y)) / 2;
    // The depth: where the inward ray from the middle meets the outline.
    RayHit hit;
    castRay(ring, 0, mx, my, nx, ny, hit);
    double depth = hit.t;
    // Nearer still, a corner above the edge (the root of a tooth).
    for (size_t k = 0; k < n; ++k) {
        const IPoint p = ring[k];
        if (p == a || p == b) continue;
        const double along = (double(p.x - a.x) * ex + double(p.y - a.y) * ey) / len;
        const double up = double(p.x - a.x) * nx + double(p.y - a.y) * ny;
        if (along > 0 && along < len && up > 0) depth = std::min(depth, up);
    }
    const double h = depth / 2;
    if (depth < 2 * kPropHeight || depth == 1e300) return false;
    // Both the prop and what lies above it must stay thick: its height
    // within the margin either side of half the depth.
    const double lowest = kPropHeight, highest = depth - kPropHeight;
    // How many parts a side from p to q can be divided into, of those it wants.
    auto parts = [](IPoint p, IPoint q) {
        const double l = std::sqrt(double(length2(p, q)));
        const int64_t want = std::max<int64_t>(2, std::llround(l / kPropSpacing));
        return std::make_pair(std::min(want, std::gcd(q.x - p.x, q.y - p.y)), want);
    };
    // Clearance from the outline's corners: a corner just above the prop's
    // corner would leave a thin triangle between them.
    const double cx = mx + nx * h, cy = my + ny * h, reachOut = double(2 * kPropSearch) + kPropClearance;
    const IPoint centre{int64_t(std::llround(cx)), int64_t(std::llround(cy))};
    Ring near;
    for (const IPoint q : ring)
        if (q != a && q != b && std::fabs(double(q.x) - cx) < reachOut && std::fabs(double(q.y) - cy) < reachOut)
            near.push_back(q);
    auto clearance = [&](IPoint p) {
        double c = kPropClearance;
        for (const IPoint q : near) c = std::min(c, std::sqrt(double(length2(p, q))));
        return c;
    };
    IPoint best{};
    double bestClear = 0, bestShare = 0, bestOff = 1e300;
    for (int64_t dy = -kPropSearch; dy <= kPropSearch; ++dy)
        for (int64_t dx = -kPropSearch; dx <= kPropSearch; ++dx) {
            const IPoint p{centre.x + dx, centre.y + dy};
            const double up = double(p.x - a.x) * nx + double(p.y - a.y) * ny;
            if (up < lowest || up > highest) continue;
            const auto [ga, wa] = parts(a, p);
            const auto [gb, wb] = parts(p, b);
            if (ga < 2 || gb < 2) continue;
            const double share = std::min(double(ga) / double(wa), double(gb) / double(wb));
            const double off = std::fabs(up - h) + std::fabs(double(dx)) + std::fabs(double(dy));
            if (bestClear == kPropClearance && (share < bestShare || (share == bestShare && off >= bestOff))) continue;
            const double clear = clearance(p);
            if (clear > bestClear || (clear == bestClear && (share > bestShare || (share == bestShare && off < bestOff))))
                best = p, bestClear = clear, bestShare = share, bestOff = off;
        }
    if (bestShare == 0 || cross(a, b, best) <= 0) return false;
    // The triangle must be empty and its new sides clear of the outline.
    for (size_t k = 0; k < n; ++k) {
        const IPoint p = ring[k], q = ring[(k + 1) % n];
        if (p != a && p != b && cross(a, b, p) >= 0 && cross(b, best, p) >= 0 && cross(best, a, p) >= 0) return false;
        IPoint at;
        if (p != a && q != a && segmentsMeet(a, best, p, q, at)) return false;
        if (p != b && q != b && segmentsMeet(best, b, p, q, at)) return false;
    }
    if (!inSector(ring, i, best) || !inSector(ring, (i + 1) % n, best)) return false;
    triangle = {a, b, best};
    // The ring runs through whole points of each new side too: its
    // triangles then meet the prop's sides at points the prop does not
    // have, so no flip can take the prop's sides away.
    Ring sides;
    appendDivisions(a, best, parts(a, best).first, sides);
    sides.push_back(best);
    appendDivisions(best, b, parts(best, b).first, sides);
    ring.insert(ring.begin() + long(i) + 1, sides.begin(), sides.end());
    return true;
}

// Divides each edge at whole points so that no part spans more than the
// limits, where the edge has whole points to divide at.
Ring divided(const Ring& r) {
    Ring out;
    const size_t n = r.size();
    for (size_t i = 0; i < n; ++i) {
        const IPoint a = r[i], b = r[(i + 1) % n];
        out.push_back(a);
        const int64_t dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
        appendDivisions(a, b, std::max((dx + kMaxEdgeX - 1) / kMaxEdgeX, (dy + kMaxEdgeY - 1) / kMaxEdgeY), out);
    }
    return out;
}

}  // namespace

__int128 ringArea(const Ring& r) {
    __int128 a = 0;
    for (size_t i = 0; i < r.size(); ++i) a += cross(IPoint{0, 0}, r[i], r[(i + 1) % r.size()]);
    return a;
}

std::vector<Ring> meshPieces(const SolidPolygon& polygon, Cuts cuts, bool prop) {
    Ring ring = polygon.outer;
    if (ringArea(ring) < 0) std::reverse(ring.begin(), ring.end());
    std::vector<Ring> holes = polygon.holes;
    for (Ring& h : holes)
        if (ringArea(h) > 0) std::reverse(h.begin(), h.end());
    std::sort(holes.begin(), holes.end(), [](const Ring& a, const Ring& b) {
        const IPoint ma = *std::max_element(a.begin(), a.end(), [](IPoint p, IPoint q) { return p.x < q.x; });
        const IPoint mb = *std::max_element(b.begin(), b.end(), [](IPoint p, IPoint q) { return p.x < q.x; });
        return ma.x > mb.x || (ma.x == mb.x && ma < mb);
    });
    for (const Ring& h : holes) bridge(ring, h);

    std::vector<Ring> done;
    if (prop) {
        // Long edges are divided first, so that a part with no whole point
        // along it is propped like an edge with none. The longest go
        // first: a prop's corners make the edges near it shallower.
        ring = divided(ring);
        std::vector<std::pair<IPoint, IPoint>> edges;
        for (size_t i = 0; i < ring.size(); ++i) {
            const IPoint a = ring[i], b = ring[(i + 1) % ring.size()];
            if (std::gcd(b.x - a.x, b.y - a.y) == 1 && double(length2(a, b)) >= kPropLength * kPropLength)
                edges.emplace_back(a, b);
        }
        std::stable_sort(edges.begin(), edges.end(), [](const auto& e, const auto& f) {
            return length2(e.first, e.second) > length2(f.first, f.second);
        });
        for (const auto& [a, b] : edges)
            for (size_t i = 0; i < ring.size(); ++i)
                if (ring[i] == a && ring[(i + 1) % ring.size()] == b) {
                    Ring triangle;
                    if (propEdge(ring, i, triangle)) done.push_back(triangle);
                    break;
                }
    }
    std::deque<Ring> todo{ring};
    int tries = 0;
    while (!todo.empty()) {
        Ring r = std::move(todo.front());
        todo.pop_front();
        bool split = false;
        for (size_t i = 0; cuts != Cuts::none && i < r.size() && tries < kMaxCutTries; ++i) {
            const size_t n = r.size();
            if (!isReflex(r, i)) continue;
            const int64_t shortest = std::min(length2(r[(i + n - 1) % n], r[i]), length2(r[i], r[(i + 1) % n]));
            if (shortest >= kShortEdge * kShortEdge) continue;
            ++tries;
            Ring other;
            if (cutAt(r, i, other, cuts == Cuts::bent)) {
                todo.push_back(std::move(r));
                todo.push_back(std::move(other));
                split = true;
                break;
            }
        }
        if (!split) done.push_back(divided(r));
    }
    return done;
}

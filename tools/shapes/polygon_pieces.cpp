// Pieces of a polygon. Every new point lies exactly on the outline it is
// added to (a whole point of an edge, or an existing corner), so the pieces
// together cover the polygon exactly.
#include "tools/shapes/polygon_pieces.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numeric>

#include "tools/shapes/ear_clip.h"
#include "tools/shapes/edge_divisions.h"
#include "tools/shapes/lean_cut.h"
#include "tools/shapes/lone_sides.h"
#include "tools/shapes/reflex_cuts.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_union.h"

namespace {

// An edge shorter than this at a reflex corner is cut at (40 world units
// is the thinnest a triangle may be).
constexpr int64_t kShortEdge = 40;  // file units, 60 world units
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
// Where the prop's triangle can vanish: the corners that keep it on screen
// weighed at most, and the points searched for them in all the props of an
// outline; the corners found for the variants to spread over (more where
// many fit, and then the first place tried rarely fails).
constexpr size_t kPropOptions = 256;
constexpr size_t kPropWork = 200000;
constexpr size_t kPropVariantOptions = 4096;

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










// Variant v's corner for the prop of edge a-b, whose inside lies along
// (nx, ny): one of the whole points that keep its triangle on screen and
// leave room above it, spread over them all in row order.
bool variantCorner(const Ring& ring, IPoint a, IPoint b, double nx, double ny, double highest, size_t variant,
                   PropCache& cache, IPoint& corner) {
    auto at = std::find_if(cache.options.begin(), cache.options.end(),
                           [&](const auto& e) { return e.first == std::make_pair(a, b); });
    if (at == cache.options.end()) {
        std::vector<IPoint> all, roomy;
        sideCorners(SolidPolygon{ring, {}}, a, b, cache.work, kPropVariantOptions, &all);
        for (const IPoint p : all)
            if (double(p.x - a.x) * nx + double(p.y - a.y) * ny <= highest) roomy.push_back(p);
        cache.options.emplace_back(std::make_pair(a, b), std::move(roomy));
        at = cache.options.end() - 1;
    }
    const std::vector<IPoint>& options = at->second;
    if (options.empty()) return false;
    corner = options[(variant - 1) * options.size() / kPropVariants];
    return true;
}

// Props a long outline edge with no whole point along it (so that it must
// be one triangle's edge whole) on a corner inside: the triangle of the
// edge and that corner becomes a piece of its own, and the ring runs
// through the corner instead. The corner stands about half the polygon's
// depth in from the edge's middle, at a whole point clear of the outline's
// corners whose ways to the edge's ends have whole points to divide at,
// or where the triangle would vanish there, where it does not; variants
// above 0 take variantCorner's instead. False when no such corner fits.
bool propEdge(Ring& ring, size_t i, Ring& triangle, size_t& budget, size_t variant, PropCache* cache) {
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
    // How finely both sides from a corner at p divide, of what they want:
    // 0 when either has no whole point to divide at.
    auto share = [&](IPoint p) {
        const auto [ga, wa] = parts(a, p);
        const auto [gb, wb] = parts(p, b);
        return ga < 2 || gb < 2 ? 0.0 : std::min(double(ga) / double(wa), double(gb) / double(wb));
    };
    IPoint best{};
    double bestClear = 0, bestShare = 0, bestOff = 1e300;
    bool found = false;
    auto consider = [&](IPoint p, double share, double off) {
        if (found && bestClear == kPropClearance && (share < bestShare || (share == bestShare && off >= bestOff))) return;
        const double clear = clearance(p);
        if (!found || clear > bestClear || (clear == bestClear && (share > bestShare || (share == bestShare && off < bestOff))))
            best = p, bestClear = clear, bestShare = share, bestOff = off, found = true;
    };
    for (int64_t dy = -kPropSearch; variant == 0 && dy <= kPropSearch; ++dy)
        for (int64_t dx = -kPropSearch; dx <= kPropSearch; ++dx) {
            const IPoint p{centre.x + dx, centre.y + dy};
            const double up = double(p.x - a.x) * nx + double(p.y - a.y) * ny;
            if (up < lowest || up > highest) continue;
            const double s = share(p);
            if (s == 0) continue;
            consider(p, s, std::fabs(up - h) + std::fabs(double(dx)) + std::fabs(double(dy)));
        }
    // A long edge's triangle can vanish wherever its corner stands but in a
    // few places, often just over 40 world units in: there, whatever the
    // division of its sides.
    if (variant == 0 && (!found || meshCanVanish(MeshTriangle{{a, b, best}}))) {
        std::vector<IPoint> options;
        if (sideCorners(SolidPolygon{ring, {}}, a, b, budget, kPropOptions, &options) == LoneSide::fits) {
            found = false;
            near.clear();
            for (const IPoint q : ring)
                if (q != a && q != b) near.push_back(q);
            for (const IPoint p : options) {
                const double up = double(p.x - a.x) * nx + double(p.y - a.y) * ny;
                consider(p, share(p), std::fabs(up - h) + std::fabs(double(p.x) - cx) + std::fabs(double(p.y) - cy));
            }
        }
    }
    if (variant > 0) found = variantCorner(ring, a, b, nx, ny, highest, variant, *cache, best);
    if (!found || cross(a, b, best) <= 0) return false;
    // The triangle must be empty and its new sides clear of the outline.
    for (size_t k = 0; k < n; ++k) {
        const IPoint p = ring[k], q = ring[(k + 1) % n];
        if (p != a && p != b && triangleHolds(a, b, best, p)) return false;
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


}  // namespace

bool needsCut(const Ring& r, size_t i) {
    const size_t n = r.size();
    const int64_t shortest = std::min(length2(r[(i + n - 1) % n], r[i]), length2(r[i], r[(i + 1) % n]));
    return isReflex(r, i) && shortest < kShortEdge * kShortEdge;
}

__int128 ringArea(const Ring& r) {
    __int128 a = 0;
    for (size_t i = 0; i < r.size(); ++i) a += cross(IPoint{0, 0}, r[i], r[(i + 1) % r.size()]);
    return a;
}

Ring ringSpan(const Ring& r, size_t from, size_t to) {
    Ring out;
    for (size_t k = from;; k = (k + 1) % r.size()) {
        out.push_back(r[k]);
        if (k == to) break;
    }
    return out;
}

namespace {

std::vector<Ring> piecesOf(const SolidPolygon& polygon, Cuts cuts, bool prop, size_t variant, PropCache* cache) {
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
        size_t budget = kPropWork;  // for all the props' searches together
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
                    if (propEdge(ring, i, triangle, budget, variant, cache)) done.push_back(triangle);
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
            if (!needsCut(r, i)) continue;
            ++tries;
            Ring other;
            const bool lean = cuts == Cuts::lean || cuts == Cuts::leanPast;
            bool cut = lean && leanCut(r, i, other, cuts == Cuts::leanPast);
            if (!cut) cut = cutAt(r, i, other, cuts == Cuts::bent || lean);
            if (!cut && (cuts == Cuts::through || cuts == Cuts::turn || lean))
                cut = throughCut(r, i, other, cuts != Cuts::through);
            if (cut) {
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

}  // namespace

std::vector<Ring> meshPieces(const SolidPolygon& polygon, Cuts cuts, bool prop) {
    return piecesOf(polygon, cuts, prop, 0, nullptr);
}

std::vector<Ring> meshPiecesWithProps(const SolidPolygon& polygon, size_t variant, PropCache& cache) {
    return piecesOf(polygon, Cuts::straight, true, variant, &cache);
}

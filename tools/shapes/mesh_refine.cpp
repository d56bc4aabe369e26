// Mesh improvement on triangles that share edges by their end points. New
// points are whole file units: on an outline edge only at a whole point of
// the edge; inside, a shared edge is split at its rounded midpoint on both
// sides at once, so the pair still covers the same quadrilateral.
#include "tools/shapes/mesh_refine.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <cmath>

#include "tools/levels/level_check.h"
#include "tools/shapes/corner_smoothing.h"
#include "tools/shapes/mesh_graph.h"

namespace {

constexpr double kNearCorner = 20.0;  // file units an added corner keeps from others
constexpr size_t kMaxWalk = 64;       // triangles a walk to a new corner crosses at most
constexpr size_t kSmoothWork = 60;                     // triangles weighed per triangle of the mesh, at most

// How far an edge reaches compared with a triangle that always shows a
// vertex, in each direction.
double reach(IPoint a, IPoint b) {
    return std::max(double(std::llabs(b.x - a.x)) / 420.0, double(std::llabs(b.y - a.y)) / 300.0);
}

// Whether d lies strictly inside the circle through the counter-clockwise
// a, b, c; exact for coordinates within kMaxShapeCoordinate.
bool inCircle(IPoint a, IPoint b, IPoint c, IPoint d) {
    const __int128 ax = a.x - d.x, ay = a.y - d.y, bx = b.x - d.x, by = b.y - d.y, cx = c.x - d.x, cy = c.y - d.y;
    const __int128 a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    return a2 * (bx * cy - by * cx) - b2 * (ax * cy - ay * cx) + c2 * (ax * by - ay * bx) > 0;
}

// Flips every shared edge whose pair `better(t, o, a, b)` prefers flipped:
// t and o the pair as it is, a and b the pair across the other diagonal.
// With `untilEnd` the pass stops at the triangles there were when it began,
// so the pair a flip makes waits for the next pass and a pass has an end.
template <class Better>
void flipWhere(Mesh& mesh, bool& changed, bool untilEnd, Better better) {
    const size_t end = mesh.size();
    for (size_t i = 0; i < (untilEnd ? end : mesh.size()); ++i) {
        if (!mesh.alive(i)) continue;
        for (int j = 0; j < 3 && mesh.alive(i); ++j) {
            const MeshTriangle t = rotated(mesh.at(i), j);  // p q x
            const long u = mesh.twin(t.v[0], t.v[1]);
            if (u < 0 || size_t(u) == i) continue;
            const MeshTriangle& o = mesh.at(size_t(u));
            int k = 0;
            while (k < 3 && !(o.v[k] == t.v[1] && o.v[(k + 1) % 3] == t.v[0])) ++k;
            if (k == 3) continue;
            const IPoint p = t.v[0], q = t.v[1], x = t.v[2], y = o.v[(k + 2) % 3];
            const MeshTriangle a{{x, p, y}}, b{{y, q, x}};
            if (!positive(a) || !positive(b)) continue;
            if (!better(t, o, a, b)) continue;
            mesh.remove(i);
            mesh.remove(size_t(u));
            mesh.add(a);
            mesh.add(b);
            changed = true;
        }
    }
}

// Flips shared edges until each pair is Delaunay (no corner inside the
// other's circle): the triangles then meet the outline's short edges with
// their nearest corners rather than in long fans.
void delaunayPass(Mesh& mesh, bool& changed) {
    flipWhere(mesh, changed, false, [](const MeshTriangle& t, const MeshTriangle&, const MeshTriangle& a,
                                       const MeshTriangle&) {
        // a is (x, p, y): the far corner y inside the circle through p, q, x.
        return inCircle(t.v[0], t.v[1], t.v[2], a.v[2]);
    });
}

void flipPass(Mesh& mesh, bool& changed) {
    flipWhere(mesh, changed, true, [](const MeshTriangle& t, const MeshTriangle& o, const MeshTriangle& a,
                                      const MeshTriangle& b) {
        // Thicker, and no new triangle that can vanish (the costlier test, last).
        const double before = std::min(meshThickness(t), meshThickness(o));
        if (std::min(meshThickness(a), meshThickness(b)) <= before + 1e-9) return false;
        return !((meshCanVanish(a) || meshCanVanish(b)) && !meshCanVanish(t) && !meshCanVanish(o));
    });
}

// Splits edge j of triangle i (from corner j to j + 1) at its middle: a
// shared edge at its rounded midpoint on both sides, an outline edge at a
// whole point of it. False when it has none or a part would not be a
// proper triangle.
bool splitEdge(Mesh& mesh, size_t i, int j, std::vector<size_t>& made) {
    const MeshTriangle r = rotated(mesh.at(i), j);
    const IPoint p = r.v[0], q = r.v[1], x = r.v[2];
    const long u = mesh.twin(p, q);
    if (u >= 0) {
        const MeshTriangle& o = mesh.at(size_t(u));
        int k = 0;
        while (k < 3 && !(o.v[k] == q && o.v[(k + 1) % 3] == p)) ++k;
        if (k == 3) return false;
        const IPoint y = o.v[(k + 2) % 3];
        const IPoint m{(p.x + q.x) >> 1, (p.y + q.y) >> 1};
        const MeshTriangle parts[4] = {{{p, m, x}}, {{m, q, x}}, {{q, m, y}}, {{m, p, y}}};
        for (const MeshTriangle& c : parts)
            if (!positive(c)) return false;
        mesh.remove(i);
        mesh.remove(size_t(u));
        for (const MeshTriangle& c : parts) made.push_back(mesh.add(c));
        return true;
    }
    const int64_t g = std::gcd(q.x - p.x, q.y - p.y);
    if (g < 2) return false;
    const int64_t s = g / 2;
    const IPoint m{p.x + (q.x - p.x) / g * s, p.y + (q.y - p.y) / g * s};
    const MeshTriangle parts[2] = {{{p, m, x}}, {{m, q, x}}};
    if (!positive(parts[0]) || !positive(parts[1])) return false;
    mesh.remove(i);
    for (const MeshTriangle& c : parts) made.push_back(mesh.add(c));
    return true;
}

// Splits triangle i so that its parts reach less far; false when no split
// keeps every part a proper triangle.
bool split(Mesh& mesh, size_t i, std::vector<size_t>& made) {
    const MeshTriangle t = mesh.at(i);
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int a, int b) {
        return reach(t.v[a], t.v[(a + 1) % 3]) > reach(t.v[b], t.v[(b + 1) % 3]);
    });
    for (int j : order)
        if (splitEdge(mesh, i, j, made)) return true;
    const IPoint c{(t.v[0].x + t.v[1].x + t.v[2].x) / 3, (t.v[0].y + t.v[1].y + t.v[2].y) / 3};
    const MeshTriangle parts[3] = {{{t.v[0], t.v[1], c}}, {{t.v[1], t.v[2], c}}, {{t.v[2], t.v[0], c}}};
    for (const MeshTriangle& p : parts)
        if (!positive(p)) return false;
    mesh.remove(i);
    for (const MeshTriangle& p : parts) made.push_back(mesh.add(p));
    return true;
}

// The longest edge of t, by index of its first corner.
int longestEdge(const MeshTriangle& t) {
    int best = 0;
    int64_t bestLength = -1;
    for (int j = 0; j < 3; ++j) {
        const IPoint a = t.v[j], b = t.v[(j + 1) % 3];
        const int64_t l = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
        if (l > bestLength) best = j, bestLength = l;
    }
    return best;
}

// Joins triangle i with the neighbour across one of its edges when their
// union is a triangle (the shared edge ends on a straight line through both).
bool mergeAt(Mesh& mesh, size_t i) {
    for (int j = 0; j < 3; ++j) {
        const MeshTriangle t = rotated(mesh.at(i), j);  // b x a: edge b->x shared
        const IPoint b = t.v[0], x = t.v[1], a = t.v[2];
        const long u = mesh.twin(b, x);
        if (u < 0 || size_t(u) == i) continue;
        const MeshTriangle& o = mesh.at(size_t(u));
        int k = 0;
        while (k < 3 && !(o.v[k] == x && o.v[(k + 1) % 3] == b)) ++k;
        if (k == 3) continue;
        const IPoint c = o.v[(k + 2) % 3];
        if (cross(a, b, c) != 0) continue;
        if (__int128(b.x - a.x) * (c.x - b.x) + __int128(b.y - a.y) * (c.y - b.y) <= 0) continue;
        const MeshTriangle merged{{a, c, x}};
        if (!positive(merged) || meshCanVanish(merged)) continue;
        if (meshThickness(merged) < std::min(meshThickness(t), meshThickness(o))) continue;
        mesh.remove(i);
        mesh.remove(size_t(u));
        mesh.add(merged);
        return true;
    }
    return false;
}

// Adds corner c inside the triangle that holds it, then flips the edges
// around it back to Delaunay. False when c lies outside every triangle or
// near a corner, or on an edge unless onEdges (then a shared edge is split
// there, on both sides).
bool insertPoint(Mesh& mesh, IPoint c, size_t hint, bool onEdges, size_t& onEdge) {
    // Walks from the triangle the point came from towards it, across the
    // first edge that has it outside; the outline ends the walk.
    size_t k = hint;
    for (size_t steps = 0;; ++steps) {
        if (steps > kMaxWalk) return false;
        const MeshTriangle& at = mesh.at(k);
        int out = -1;
        for (int j = 0; j < 3 && out < 0; ++j)
            if (cross(at.v[j], at.v[(j + 1) % 3], c) < 0) out = j;
        if (out < 0) break;
        const long next = mesh.twin(at.v[out], at.v[(out + 1) % 3]);
        if (next < 0) return false;
        k = size_t(next);
    }
    {
        const MeshTriangle h = mesh.at(k);
        for (const IPoint& v : h.v) {
            const double dx = double(v.x - c.x), dy = double(v.y - c.y);
            if (dx * dx + dy * dy < kNearCorner * kNearCorner) return false;
        }
        int on = -1;
        for (int j = 0; j < 3; ++j) {
            const __int128 s = cross(h.v[j], h.v[(j + 1) % 3], c);
            if (s < 0) return false;
            if (s == 0) {
                if (on >= 0) return false;
                if (!onEdges) return ++onEdge, false;
                on = j;
            }
        }
        // Edges facing c that may need a flip, as (from, to).
        std::vector<std::pair<IPoint, IPoint>> edges;
        if (on >= 0) {
            // On a shared edge a-b: both triangles on it are split at c.
            const IPoint a = h.v[on], b = h.v[(on + 1) % 3], x = h.v[(on + 2) % 3];
            const long u = mesh.twin(a, b);
            if (u < 0) return false;
            const MeshTriangle& o = mesh.at(size_t(u));
            int m = 0;
            while (m < 3 && !(o.v[m] == b && o.v[(m + 1) % 3] == a)) ++m;
            if (m == 3) return false;
            const IPoint y = o.v[(m + 2) % 3];
            const MeshTriangle parts[4] = {{{a, c, x}}, {{c, b, x}}, {{b, c, y}}, {{c, a, y}}};
            for (const MeshTriangle& p : parts)
                if (!positive(p)) return false;
            mesh.remove(k);
            mesh.remove(size_t(u));
            for (const MeshTriangle& p : parts) mesh.add(p);
            edges = {{x, a}, {b, x}, {y, b}, {a, y}};
        } else {
            mesh.remove(k);
            for (int j = 0; j < 3; ++j) {
                mesh.add({{h.v[j], h.v[(j + 1) % 3], c}});
                edges.emplace_back(h.v[j], h.v[(j + 1) % 3]);
            }
        }
        for (size_t guard = 0; !edges.empty() && guard < 4 * mesh.size() + 64; ++guard) {
            const auto [p, q] = edges.back();
            edges.pop_back();
            const long t = mesh.twin(q, p);  // the triangle p q c
            const long u = mesh.twin(p, q);  // across p q
            if (t < 0 || u < 0) continue;
            const MeshTriangle& o = mesh.at(size_t(u));
            int m = 0;
            while (m < 3 && !(o.v[m] == q && o.v[(m + 1) % 3] == p)) ++m;
            if (m == 3) continue;
            const IPoint y = o.v[(m + 2) % 3];
            if (!inCircle(p, q, c, y)) continue;
            const MeshTriangle a{{c, p, y}}, b{{y, q, c}};
            if (!positive(a) || !positive(b)) continue;
            mesh.remove(size_t(t));
            mesh.remove(size_t(u));
            mesh.add(a);
            mesh.add(b);
            edges.emplace_back(p, y);
            edges.emplace_back(y, q);
        }
        return true;
    }
    return false;
}

// The centre of the circle through triangle t, rounded; false when far out.
bool circleCentre(const MeshTriangle& t, IPoint& c) {
    const double ax = double(t.v[0].x), ay = double(t.v[0].y);
    const double bx = double(t.v[1].x) - ax, by = double(t.v[1].y) - ay;
    const double cx = double(t.v[2].x) - ax, cy = double(t.v[2].y) - ay;
    const double d = 2 * (bx * cy - by * cx);
    if (d == 0) return false;
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = ax + (cy * b2 - by * c2) / d, uy = ay + (bx * c2 - cx * b2) / d;
    if (!(std::fabs(ux) < double(kMaxShapeCoordinate)) || !(std::fabs(uy) < double(kMaxShapeCoordinate))) return false;
    c = {int64_t(std::llround(ux)), int64_t(std::llround(uy))};
    return true;
}

// The work of refineMesh, weighing at most `budget` triangles in moving
// corners.
std::string refineWithin(std::vector<MeshTriangle>& triangles, size_t limit, bool splitFlat, bool delaunay,
                         bool onEdges, size_t& budget, size_t& onEdge) {
    Mesh mesh(triangles);
    for (int pass = 0; delaunay && pass < 64; ++pass) {
        bool changed = false;
        delaunayPass(mesh, changed);
        if (!changed) break;
    }
    for (int pass = 0; pass < 8; ++pass) {
        bool changed = false;
        flipPass(mesh, changed);
        if (!changed) break;
    }
    // A thin triangle gets a corner at its circle's centre (a polygon of
    // many short sides then fans out from its middle instead of shedding
    // thin ears); one that can vanish gets one at its centroid.
    const size_t thinBudget = 2 * mesh.count() + 200;
    std::vector<bool> fine;  // by index, done with: a triangle never changes, so once is enough
    for (int round = 0; delaunay && round < 8; ++round) {
        bool added = false;
        const size_t end = mesh.size();
        fine.resize(end, false);
        for (size_t i = 0; i < end; ++i) {
            if (mesh.count() > limit) return "more than " + std::to_string(limit) + " triangles";
            if (!mesh.alive(i) || fine[i]) continue;
            const MeshTriangle t = mesh.at(i);
            IPoint c;
            const bool thin = meshThickness(t) < kMinThickness;
            if (!thin && !meshCanVanish(t)) {
                fine[i] = true;
                continue;
            }
            bool inserted;
            if (thin) {
                // A part thin by nature would take corners without end.
                // Where the centre lies outside (a flat corner of the outline),
                // the longest edge, when shared, is split instead and the new
                // corner moved to its best place.
                std::vector<size_t> made;
                inserted = mesh.count() < thinBudget && circleCentre(t, c) && insertPoint(mesh, c, i, onEdges, onEdge);
                const MeshTriangle longest = rotated(t, longestEdge(t));
                if (splitFlat && !inserted && round == 0 && mesh.count() < thinBudget && mesh.twin(longest.v[0], longest.v[1]) >= 0 &&
                    splitEdge(mesh, i, longestEdge(t), made)) {
                    const MeshTriangle& first = mesh.at(made.front());
                    smoothCorner(mesh, first.v[1], budget);
                    inserted = true;
                }
            } else {
                c = {(t.v[0].x + t.v[1].x + t.v[2].x) / 3, (t.v[0].y + t.v[1].y + t.v[2].y) / 3};
                inserted = insertPoint(mesh, c, i, onEdges, onEdge);
            }
            added = added || inserted;
            fine[i] = !inserted;  // no point for it: not tried again
        }
        if (!added) break;
    }
    for (int pass = 0; pass < 8; ++pass) {
        bool changed = false;
        flipPass(mesh, changed);
        if (!changed) break;
    }
    std::vector<size_t> work;
    for (size_t i = 0; i < mesh.size(); ++i)
        if (mesh.alive(i)) work.push_back(i);
    for (size_t w = 0; w < work.size(); ++w) {
        const size_t i = work[w];
        if (!mesh.alive(i) || !meshCanVanish(mesh.at(i))) continue;
        if (mesh.count() > limit) return "more than " + std::to_string(limit) + " triangles";
        std::vector<size_t> made;
        if (split(mesh, i, made)) work.insert(work.end(), made.begin(), made.end());
    }
    for (int pass = 0; pass < 8; ++pass) {
        bool changed = false;
        flipPass(mesh, changed);
        if (!changed) break;
    }
    for (int round = 0; round < 16; ++round) {
        if (!smoothCorners(mesh, budget)) break;
        bool changed = false;
        flipPass(mesh, changed);
    }
    // One sweep: a joined triangle goes to the end and is tried in turn
    // with its own neighbours.
    for (size_t i = 0; i < mesh.size(); ++i)
        if (mesh.alive(i)) mergeAt(mesh, i);
    mesh.compact();
    return "";
}

}  // namespace

std::string refineMesh(std::vector<MeshTriangle>& triangles, size_t limit, bool splitFlat, bool delaunay,
                       bool onEdges, RefineCounts* counts) {
    // Triangles weighed while moving corners: where a part is thin by
    // nature no place is good, and the search must end all the same.
    const size_t start = kSmoothWork * triangles.size() + 20000;
    size_t budget = start;
    size_t onEdge = 0;
    std::string fault = refineWithin(triangles, limit, splitFlat, delaunay, onEdges, budget, onEdge);
    if (counts) counts->weighed += start - budget, counts->onEdge += onEdge;
    return fault;
}

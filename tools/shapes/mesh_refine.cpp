// Mesh improvement on triangles that share edges by their end points. New
// points are whole file units: on an outline edge only at a whole point of
// the edge; inside, a shared edge is split at its rounded midpoint on both
// sides at once, so the pair still covers the same quadrilateral.
#include "tools/shapes/mesh_refine.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_map>
#include <cmath>
#include <tuple>

#include "tools/levels/level_check.h"

namespace {

constexpr double kNearCorner = 20.0;  // file units an added corner keeps from others
constexpr size_t kMaxWalk = 64;       // triangles a walk to a new corner crosses at most
constexpr double kComfortable = 1.1 * kMinThickness;  // world units: a corner this well off is not moved
constexpr size_t kSmoothWork = 60;                     // triangles weighed per triangle of the mesh, at most

using EdgeKey = std::tuple<int64_t, int64_t, int64_t, int64_t>;

EdgeKey key(IPoint a, IPoint b) { return EdgeKey{a.x, a.y, b.x, b.y}; }

// Only looked up, never walked in order, so the order a hash gives cannot
// reach the output.
struct EdgeHash {
    size_t operator()(const EdgeKey& k) const {
        uint64_t h = 0;
        for (int64_t v : {std::get<0>(k), std::get<1>(k), std::get<2>(k), std::get<3>(k)}) {
            h = (h ^ uint64_t(v)) + 0x9e3779b97f4a7c15ull;  // splitmix64's step and mix
            h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ull;
            h = (h ^ (h >> 27)) * 0x94d049bb133111ebull;
            h ^= h >> 31;
        }
        return size_t(h);
    }
};

// How far an edge reaches compared with a triangle that always shows a
// vertex, in each direction.
double reach(IPoint a, IPoint b) {
    return std::max(double(std::llabs(b.x - a.x)) / 420.0, double(std::llabs(b.y - a.y)) / 300.0);
}

bool positive(const MeshTriangle& t) { return cross(t.v[0], t.v[1], t.v[2]) > 0; }

class Mesh {
public:
    explicit Mesh(std::vector<MeshTriangle>& t) : tris_(t), alive_(t.size(), true), live_(t.size()) {
        for (size_t i = 0; i < tris_.size(); ++i) link(i);
    }

    // Index of the triangle holding edge b->a (the twin of a->b), or -1.
    long twin(IPoint a, IPoint b) const {
        const auto it = edges_.find(key(b, a));
        return it == edges_.end() ? -1 : long(it->second);
    }
    size_t add(const MeshTriangle& t) {
        tris_.push_back(t);
        alive_.push_back(true);
        ++live_;
        link(tris_.size() - 1);
        return tris_.size() - 1;
    }
    // Live triangles with corner p, in the order they were made.
    std::vector<size_t> around(IPoint p) const {
        std::vector<size_t> out;
        const auto it = corners_.find(key(p, p));
        if (it == corners_.end()) return out;
        for (size_t i : it->second)
            if (alive_[i] && (tris_[i].v[0] == p || tris_[i].v[1] == p || tris_[i].v[2] == p)) out.push_back(i);
        return out;
    }
    void remove(size_t i) {
        alive_[i] = false;
        --live_;
        for (int j = 0; j < 3; ++j) {
            const auto it = edges_.find(key(tris_[i].v[j], tris_[i].v[(j + 1) % 3]));
            if (it != edges_.end() && it->second == i) edges_.erase(it);
        }
    }
    bool alive(size_t i) const { return alive_[i]; }
    const MeshTriangle& at(size_t i) const { return tris_[i]; }
    size_t size() const { return tris_.size(); }
    size_t count() const { return live_; }
    void compact() {
        std::vector<MeshTriangle> kept;
        for (size_t i = 0; i < tris_.size(); ++i)
            if (alive_[i]) kept.push_back(tris_[i]);
        tris_.swap(kept);
    }

private:
    void link(size_t i) {
        for (int j = 0; j < 3; ++j) {
            edges_[key(tris_[i].v[j], tris_[i].v[(j + 1) % 3])] = i;
            corners_[key(tris_[i].v[j], tris_[i].v[j])].push_back(i);
        }
    }
    std::vector<MeshTriangle>& tris_;
    std::vector<bool> alive_;
    size_t live_;
    std::unordered_map<EdgeKey, size_t, EdgeHash> edges_;
    std::unordered_map<EdgeKey, std::vector<size_t>, EdgeHash> corners_;  // by corner, as (p, p)
};

// Rotates t so that edge j comes first: v[0] -> v[1] is that edge.
MeshTriangle rotated(const MeshTriangle& t, int j) {
    return MeshTriangle{{t.v[j], t.v[(j + 1) % 3], t.v[(j + 2) % 3]}};
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
// around it back to Delaunay. False when c lies outside every triangle, on
// an edge, or near a corner.
bool insertPoint(Mesh& mesh, IPoint c, size_t hint) {
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
        if (cross(h.v[0], h.v[1], c) <= 0 || cross(h.v[1], h.v[2], c) <= 0 || cross(h.v[2], h.v[0], c) <= 0) return false;
        for (const IPoint& v : h.v) {
            const double dx = double(v.x - c.x), dy = double(v.y - c.y);
            if (dx * dx + dy * dy < kNearCorner * kNearCorner) return false;
        }
        mesh.remove(k);
        // Edges facing c that may need a flip, as (from, to).
        std::vector<std::pair<IPoint, IPoint>> edges;
        for (int j = 0; j < 3; ++j) {
            mesh.add({{h.v[j], h.v[(j + 1) % 3], c}});
            edges.emplace_back(h.v[j], h.v[(j + 1) % 3]);
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

// Moves corner v, when it lies inside the solid (every edge from it
// shared), to where its worst triangle is best: one that can vanish is
// worse than any that cannot, then the thicker the better. First the
// middle of the corners around it, then a search over whole points in
// shrinking steps. The corners around stay, and with every new triangle
// counter-clockwise the fan covers the same polygon, so the cover stays
// exact. Each triangle weighed costs one of the budget.
bool smoothCorner(Mesh& mesh, IPoint v, size_t& budget) {
    const std::vector<size_t> star = mesh.around(v);
    std::vector<std::pair<IPoint, IPoint>> rim;  // each triangle's edge away from v
    for (size_t i : star) {
        const MeshTriangle& t = mesh.at(i);
        const int j = t.v[0] == v ? 0 : t.v[1] == v ? 1 : 2;
        const IPoint a = t.v[(j + 1) % 3], b = t.v[(j + 2) % 3];
        if (mesh.twin(v, a) < 0) return false;
        rim.emplace_back(a, b);
    }
    if (rim.empty()) return false;
    // The worst triangle's worth with its corner at p, or at most `bar`
    // once it cannot beat that: the costly vanishing test is left out then.
    auto worst = [&](IPoint p, double bar) {
        double w = 1e300;
        for (const auto& [a, b] : rim) {
            if (budget > 0) --budget;
            const MeshTriangle t{{p, a, b}};
            if (!positive(t)) return -1e300;
            const double thickness = meshThickness(t);
            if (thickness <= bar) return thickness;
            w = std::min(w, meshCanVanish(t) ? thickness - 1e9 : thickness);
            if (w <= bar) return w;
        }
        return w;
    };
    IPoint best = v;
    double bestWorth = worst(v, -1e300);
    const double before = bestWorth;
    // A corner whose triangles are all well within the rules stays.
    if (before >= kComfortable) return false;
    int64_t sx = 0, sy = 0;
    for (const auto& e : rim) sx += e.first.x, sy += e.first.y;
    const int64_t n = int64_t(rim.size());
    const IPoint middle{(sx + (sx >= 0 ? n / 2 : -n / 2)) / n, (sy + (sy >= 0 ? n / 2 : -n / 2)) / n};
    if (const double w = worst(middle, bestWorth); w > bestWorth) best = middle, bestWorth = w;
    for (int64_t step = 32; step >= 1 && budget > 0; step /= 2)
        for (int tries = 0; tries < 8 && budget > 0; ++tries) {
            const IPoint from = best;
            for (int d = 0; d < 8; ++d) {
                static const int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1}, kDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
                const IPoint p{from.x + kDx[d] * step, from.y + kDy[d] * step};
                if (const double w = worst(p, bestWorth); w > bestWorth) best = p, bestWorth = w;
            }
            if (best == from) break;
        }
    if (best == v || bestWorth <= before) return false;
    for (size_t i : star) mesh.remove(i);
    for (const auto& [a, b] : rim) mesh.add(MeshTriangle{{best, a, b}});
    return true;
}

bool smoothCorners(Mesh& mesh, size_t& budget) {
    std::vector<IPoint> corners;
    for (size_t i = 0; i < mesh.size(); ++i)
        if (mesh.alive(i))
            for (const IPoint& p : mesh.at(i).v) corners.push_back(p);
    std::sort(corners.begin(), corners.end());
    corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
    bool moved = false;
    for (const IPoint& v : corners) {
        if (budget == 0) break;
        moved = smoothCorner(mesh, v, budget) || moved;
    }
    return moved;
}

}  // namespace

std::string refineMesh(std::vector<MeshTriangle>& triangles, size_t limit, bool splitFlat) {
    Mesh mesh(triangles);
    for (int pass = 0; pass < 64; ++pass) {
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
    // Triangles weighed while moving corners: where a part is thin by
    // nature no place is good, and the search must end all the same.
    size_t budget = kSmoothWork * mesh.count() + 20000;
    std::vector<bool> fine;  // by index, done with: a triangle never changes, so once is enough
    for (int round = 0; round < 8; ++round) {
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
                inserted = mesh.count() < thinBudget && circleCentre(t, c) && insertPoint(mesh, c, i);
                const MeshTriangle longest = rotated(t, longestEdge(t));
                if (splitFlat && !inserted && round == 0 && mesh.count() < thinBudget && mesh.twin(longest.v[0], longest.v[1]) >= 0 &&
                    splitEdge(mesh, i, longestEdge(t), made)) {
                    const MeshTriangle& first = mesh.at(made.front());
                    smoothCorner(mesh, first.v[1], budget);
                    inserted = true;
                }
            } else {
                c = {(t.v[0].x + t.v[1].x + t.v[2].x) / 3, (t.v[0].y + t.v[1].y + t.v[2].y) / 3};
                inserted = insertPoint(mesh, c, i);
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

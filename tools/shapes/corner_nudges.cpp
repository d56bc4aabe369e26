// Corners off the author's own moved a whole point or two where the mesh
// is a little too thin: greedily, each move kept only where it helps, and
// only while the outline stays simple.
#include "tools/shapes/corner_nudges.h"

#include <algorithm>
#include <map>
#include <utility>

#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_mesh.h"

namespace {

// How far a corner may move in all, squared, in file units: 4.5 world.
constexpr int64_t kFarthest2 = 9;
// The most triangles at fault in a polygon's first mesh for its corners to
// be moved: shapes just over 80 across leave one to six.
constexpr size_t kMostFaults = 8;
// The likeliest moves meshed, at most, in looking for each move to keep.
constexpr int kTriedPerMove = 6;
// Moves kept per polygon, at most.
constexpr int kMoves = 16;
// Triangles one mesh of a polygon may take, and the least a mesh costs of
// the budget.
constexpr size_t kMeshLimit = 1000;
constexpr size_t kLeastCost = 40;

// How far a mesh falls short: its triangles at fault, then by how much.
struct Shortfall {
    size_t faults = 0;
    double depth = 0;  // world units lacking in all; a vanishing triangle counts as a thickness lacking
    bool operator<(const Shortfall& o) const { return faults != o.faults ? faults < o.faults : depth < o.depth; }
};

Shortfall shortfall(const std::vector<FileTriangle>& mesh, std::vector<IPoint>* atFault) {
    Shortfall s;
    for (const FileTriangle& t : mesh) {
        const double thickness = triangleThickness(t);
        const bool thin = thickness < kMinThickness;
        if (!thin && !triangleCanVanish(t)) continue;
        ++s.faults;
        s.depth += thin ? kMinThickness - thickness : kMinThickness;
        if (atFault)
            for (int k = 0; k < 3; ++k) atFault->push_back({t.c[2 * k], t.c[2 * k + 1]});
    }
    return s;
}

// The polygon meshed alone, or false where it does not mesh within the
// limit. A mesh costs its triangles, but a few dozen at least: meshing a
// small polygon left thin is dear too.
bool meshAlone(const SolidPolygon& polygon, std::vector<FileTriangle>& mesh, size_t& budget) {
    mesh.clear();
    const size_t limit = std::min(budget, kMeshLimit);
    if (limit < kLeastCost) return false;
    const bool meshed = meshSolid({polygon}, limit, mesh).empty();
    budget -= std::min(budget, meshed ? std::max(kLeastCost, mesh.size()) : limit);
    return meshed;
}

// The whole-point steps a corner may take, nearest first.
std::vector<IPoint> steps() {
    std::vector<IPoint> out;
    for (int64_t dy = -3; dy <= 3; ++dy)
        for (int64_t dx = -3; dx <= 3; ++dx)
            if ((dx || dy) && dx * dx + dy * dy <= kFarthest2) out.push_back({dx, dy});
    std::stable_sort(out.begin(), out.end(),
                     [](IPoint a, IPoint b) { return a.x * a.x + a.y * a.y < b.x * b.x + b.y * b.y; });
    return out;
}

// Whether corner v of a ring, between u and w, may move to `to`: no other
// corner, nor one of another polygon, lies where its sides sweep, no side
// of another polygon crosses its new sides (one drawn a hair away has no
// corner near), and the outlines cross nowhere after.
bool moveKeepsSimple(const SolidPolygon& polygon, const SolidPolygon& changed, const std::vector<IPoint>& elsewhere,
                     const SideIndex& otherSides, IPoint u, IPoint v, IPoint w, IPoint to) {
    if (cross(u, to, w) == 0) return false;
    if (triangleHoldsAny(elsewhere, u, v, to) || triangleHoldsAny(elsewhere, v, w, to)) return false;
    if (otherSides.crossedBy(u, to) || otherSides.crossedBy(to, w)) return false;
    const auto sweeps = [&](IPoint a, IPoint b, IPoint c, IPoint q) {
        if (cross(a, b, c) < 0) std::swap(b, c);
        return triangleHolds(a, b, c, q);
    };
    return !anyCorner(polygon, [&](IPoint q) {
        return q != u && q != v && q != w && (sweeps(u, v, to, q) || sweeps(v, w, to, q));
    }) && !polygonCrosses(changed);
}

}  // namespace

bool nudgeThinCorners(SolidPolygon& polygon, const std::vector<IPoint>& fixed, const std::vector<IPoint>& elsewhere,
                      const SideIndex& otherSides, size_t& budget, std::vector<CornerNudge>& made) {
    static const std::vector<IPoint> kSteps = steps();
    made.clear();
    std::vector<FileTriangle> mesh;
    if (!meshAlone(polygon, mesh, budget)) return false;
    std::vector<IPoint> atFault;
    Shortfall now = shortfall(mesh, &atFault);
    if (now.faults == 0) return true;
    // Moves mend a few triangles; many, or one that can vanish while thick
    // enough, need more, and are not tried (meshing again and again is dear).
    if (now.faults > kMostFaults || std::any_of(mesh.begin(), mesh.end(), [](const FileTriangle& t) {
            return triangleThickness(t) >= kMinThickness && triangleCanVanish(t);
        }))
        return false;
    SolidPolygon current = polygon;
    std::map<IPoint, IPoint> drawnAt;  // where each moved corner was drawn, by where it stands
    for (int move = 0; move < kMoves && now.faults > 0; ++move) {
        std::sort(atFault.begin(), atFault.end());
        atFault.erase(std::unique(atFault.begin(), atFault.end()), atFault.end());
        // Each move of a corner at fault, weighed by the thinnest its own
        // triangles would be with the mesh as it is: meshing is dear, so
        // only the likeliest few are meshed.
        struct Candidate {
            double thinnest;
            int64_t reach2;  // how far it moves, squared
            size_t ring, index;
            IPoint to;
        };
        std::vector<Candidate> candidates;
        for (size_t r = 0; r <= current.holes.size(); ++r) {
            const Ring& ring = r == 0 ? current.outer : current.holes[r - 1];
            for (size_t i = 0; i < ring.size(); ++i) {
                const IPoint v = ring[i];
                const auto moved = drawnAt.find(v);
                const IPoint drawn = moved == drawnAt.end() ? v : moved->second;
                if (!std::binary_search(atFault.begin(), atFault.end(), v) ||
                    std::binary_search(fixed.begin(), fixed.end(), drawn))
                    continue;
                std::vector<std::pair<FileTriangle, int>> own;  // its triangles, and which corner it is
                for (const FileTriangle& t : mesh)
                    for (int k = 0; k < 3; ++k)
                        if (t.c[2 * k] == v.x && t.c[2 * k + 1] == v.y) own.push_back({t, k});
                for (const IPoint& step : kSteps) {
                    const IPoint to{v.x + step.x, v.y + step.y};
                    if (length2(drawn, to) > kFarthest2) continue;
                    double thinnest = 1e300;
                    for (auto [t, k] : own) {
                        const IPoint a{t.c[0], t.c[1]}, b{t.c[2], t.c[3]}, c{t.c[4], t.c[5]};
                        t.c[2 * k] = int32_t(to.x), t.c[2 * k + 1] = int32_t(to.y);
                        const IPoint a2{t.c[0], t.c[1]}, b2{t.c[2], t.c[3]}, c2{t.c[4], t.c[5]};
                        // Folded over, it weighs as nothing.
                        thinnest = std::min(thinnest, sign(cross(a, b, c)) == sign(cross(a2, b2, c2))
                                                          ? triangleThickness(t) : 0.0);
                    }
                    candidates.push_back({thinnest, length2(v, to), r, i, to});
                }
            }
        }
        // The least move that makes its triangles thick enough first, then
        // the rest by how thick they would be.
        std::stable_sort(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
            const bool aEnough = a.thinnest >= kMinThickness, bEnough = b.thinnest >= kMinThickness;
            if (aEnough != bEnough) return aEnough;
            if (aEnough) return a.reach2 < b.reach2;
            return a.thinnest > b.thinnest;
        });
        bool better = false;
        std::vector<IPoint> nextAtFault;
        int meshed = 0;
        for (const Candidate& c : candidates) {
            if (meshed == kTriedPerMove || budget < kLeastCost) break;
            const Ring& ring = c.ring == 0 ? current.outer : current.holes[c.ring - 1];
            const size_t n = ring.size();
            const IPoint u = ring[(c.index + n - 1) % n], v = ring[c.index], w = ring[(c.index + 1) % n];
            SolidPolygon changed = current;
            (c.ring == 0 ? changed.outer : changed.holes[c.ring - 1])[c.index] = c.to;
            if (!moveKeepsSimple(current, changed, elsewhere, otherSides, u, v, w, c.to)) continue;
            ++meshed;
            std::vector<FileTriangle> after;
            if (!meshAlone(changed, after, budget)) continue;
            nextAtFault.clear();
            const Shortfall less = shortfall(after, &nextAtFault);
            if (!(less < now)) continue;
            const auto moved = drawnAt.find(v);
            const IPoint drawn = moved == drawnAt.end() ? v : moved->second;
            if (moved != drawnAt.end()) drawnAt.erase(moved);
            drawnAt[c.to] = drawn;
            current = std::move(changed);
            mesh = std::move(after);
            now = less;
            better = true;
            break;
        }
        if (!better) return false;
        atFault = std::move(nextAtFault);
    }
    if (now.faults > 0) return false;
    polygon = std::move(current);
    for (const auto& [at, drawn] : drawnAt)
        if (at != drawn) made.push_back({drawn, at});
    return true;
}

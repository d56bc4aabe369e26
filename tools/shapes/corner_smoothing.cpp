// Corner moves: a pattern search over whole points, each candidate weighed
// by the worst of the triangles it would make.
#include "tools/shapes/corner_smoothing.h"

#include <algorithm>

#include "tools/levels/level_check.h"

namespace {

constexpr double kComfortable = 1.1 * kMinThickness;  // world units: a corner this well off is not moved

}  // namespace

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


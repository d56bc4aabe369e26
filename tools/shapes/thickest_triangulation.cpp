// Dynamic programming over the diagonals of the ring: best[i][j] is the best
// triangulation of the corners i..j, closed by the diagonal j-i, built from
// the triangle (i, k, j) and the best of i..k and k..j.
#include "tools/shapes/thickest_triangulation.h"

#include <algorithm>
#include <cstdint>

#include "tools/levels/level_check.h"
#include "tools/shapes/segments.h"

namespace {

// How a triangulation ranks: fewest thin triangles, then the thinnest as
// thick as can be, then the most thickness in all. Above kEnough a
// triangle counts as thick as any, so the sum prefers even meshes.
constexpr double kEnough = 1.5 * kMinThickness;

struct Rank {
    int thin = 0;
    double least = 1e300, sum = 0;
    bool valid = false;
    bool better(const Rank& o) const {
        if (!o.valid) return valid;
        if (!valid) return false;
        if (thin != o.thin) return thin < o.thin;
        if (least != o.least) return least > o.least;
        return sum > o.sum;
    }
};

// The diagonal from corner i to corner j runs inside the ring, meeting its
// outline only at its ends.
bool diagonal(const Ring& r, size_t i, size_t j) {
    const size_t n = r.size();
    if (!inSector(r, i, r[j]) || !inSector(r, j, r[i])) return false;
    const IPoint a = r[i], b = r[j];
    const int64_t loX = std::min(a.x, b.x), hiX = std::max(a.x, b.x), loY = std::min(a.y, b.y), hiY = std::max(a.y, b.y);
    for (size_t k = 0; k < n; ++k) {
        const size_t l = (k + 1) % n;
        const IPoint p = r[k], q = r[l];
        // most edges lie wholly to one side of the diagonal's box
        if (std::max(p.x, q.x) < loX || std::min(p.x, q.x) > hiX || std::max(p.y, q.y) < loY || std::min(p.y, q.y) > hiY)
            continue;
        IPoint at;
        if (k != i && k != j && l != i && l != j && segmentsMeet(a, b, p, q, at)) return false;
        // a neighbour of i or j lying along the diagonal
        if (k != i && k != j && cross(a, b, p) == 0 && loX <= p.x && p.x <= hiX && loY <= p.y && p.y <= hiY) return false;
    }
    return true;
}

Rank joined(const Rank& left, const Rank& right, double s) {
    return Rank{left.thin + right.thin + (s < kMinThickness), std::min({left.least, right.least, s}),
                left.sum + right.sum + s, true};
}

}  // namespace

bool triangulateThickest(const Ring& ring, std::vector<MeshTriangle>& out, bool vanishing) {
    const size_t n = ring.size();
    if (n < 3 || n > kMaxThickestCorners) return false;
    Ring sorted = ring;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;

    std::vector<char> open(n * n, 0);  // diagonal or outline edge
    for (size_t i = 0; i < n; ++i) {
        open[i * n + (i + 1) % n] = open[((i + 1) % n) * n + i] = 1;
        for (size_t j = i + 2; j < n; ++j)
            if (!(i == 0 && j == n - 1) && diagonal(ring, i, j)) open[i * n + j] = open[j * n + i] = 1;
    }
    std::vector<Rank> best(n * n);
    std::vector<size_t> apex(n * n, 0);
    for (size_t i = 0; i + 1 < n; ++i) best[i * n + i + 1] = Rank{0, 1e300, 0, true};
    for (size_t span = 2; span < n; ++span)
        for (size_t i = 0; i + span < n; ++i) {
            const size_t j = i + span;
            if (!open[i * n + j]) continue;
            Rank& b = best[i * n + j];
            for (size_t k = i + 1; k < j; ++k) {
                const Rank& left = best[i * n + k];
                const Rank& right = best[k * n + j];
                if (!left.valid || !right.valid || !open[i * n + k] || !open[k * n + j]) continue;
                const MeshTriangle t{{ring[i], ring[k], ring[j]}};
                if (cross(t.v[0], t.v[1], t.v[2]) <= 0) continue;
                // A triangle that can vanish will be split: worth a quarter
                // as much. The costlier test only where the triangle could win.
                const double thick = meshThickness(t);
                if (!joined(left, right, std::min(kEnough, thick)).better(b)) continue;
                const Rank r = joined(left, right, std::min(kEnough, vanishing && meshCanVanish(t) ? thick * 0.25 : thick));
                if (r.better(b)) b = r, apex[i * n + j] = k;
            }
        }
    if (!best[n - 1].valid) return false;
    std::vector<std::pair<size_t, size_t>> todo{{0, n - 1}};
    while (!todo.empty()) {
        const auto [i, j] = todo.back();
        todo.pop_back();
        if (j < i + 2) continue;
        const size_t k = apex[i * n + j];
        out.push_back({{ring[i], ring[k], ring[j]}});
        todo.push_back({i, k});
        todo.push_back({k, j});
    }
    return true;
}

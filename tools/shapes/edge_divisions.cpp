// Edge divisions at whole points.
#include "tools/shapes/edge_divisions.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace {

// Boundary edges are divided so that none spans more than this, about a
// culling box's margin over the half screen in each direction.
constexpr int64_t kMaxEdgeX = 420;
constexpr int64_t kMaxEdgeY = 300;

}  // namespace

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

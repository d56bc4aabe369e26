// The centre tried is the centre of area, then the mean of the corners
// (nearer the middle of a ring whose corners crowd one side), each rounded
// to the whole point nearest it.
#include "tools/shapes/centre_fan.h"

#include <cmath>


namespace {

bool fanFrom(const Ring& ring, IPoint c, std::vector<MeshTriangle>& fan) {
    fan.clear();
    for (size_t i = 0; i < ring.size(); ++i) {
        const MeshTriangle t{{ring[i], ring[(i + 1) % ring.size()], c}};
        // c strictly left of every side: it sees the whole ring from inside.
        if (cross(t.v[0], t.v[1], c) <= 0) return false;
        if (meshFaulty(t)) return false;
        fan.push_back(t);
    }
    return true;
}

}  // namespace

bool fanFromCentre(const Ring& ring, std::vector<MeshTriangle>& out) {
    const size_t n = ring.size();
    if (n < 4 || n > kMaxFanCorners) return false;
    // Relative to the first corner, so that the sums stay small.
    const double ox = double(ring[0].x), oy = double(ring[0].y);
    double area2 = 0, cx = 0, cy = 0, mx = 0, my = 0;
    for (size_t i = 0; i < n; ++i) {
        const double ax = double(ring[i].x) - ox, ay = double(ring[i].y) - oy;
        const double bx = double(ring[(i + 1) % n].x) - ox, by = double(ring[(i + 1) % n].y) - oy;
        // Centre of area: sum of (a + b) (a x b) over 3 times twice the area.
        const double w = ax * by - ay * bx;
        area2 += w;
        cx += (ax + bx) * w;
        cy += (ay + by) * w;
        mx += ax;
        my += ay;
    }
    if (!(area2 > 0)) return false;
    const double centres[2][2] = {{cx / (3 * area2), cy / (3 * area2)}, {mx / double(n), my / double(n)}};
    std::vector<MeshTriangle> fan;
    for (const auto& c : centres) {
        const IPoint p{ring[0].x + int64_t(std::llround(c[0])), ring[0].y + int64_t(std::llround(c[1]))};
        if (fanFrom(ring, p, fan)) {
            out.insert(out.end(), fan.begin(), fan.end());
            return true;
        }
    }
    return false;
}

// Segment tests by the signs of exact cross products, and a sweep over the
// edges sorted by x so that only edges that overlap in x are compared.
#include "tools/shapes/segments.h"

#include <algorithm>

namespace {

bool onSegment(IPoint a, IPoint b, IPoint p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// p lies on segment ab other than at its ends.
bool insideSegment(IPoint a, IPoint b, IPoint p) { return p != a && p != b && liesOn(a, b, p); }

}  // namespace

bool liesOn(IPoint a, IPoint b, IPoint p) { return cross(a, b, p) == 0 && onSegment(a, b, p); }

bool segmentsMeet(IPoint a, IPoint b, IPoint c, IPoint d, IPoint& at) {
    const int d1 = sign(cross(c, d, a)), d2 = sign(cross(c, d, b));
    const int d3 = sign(cross(a, b, c)), d4 = sign(cross(a, b, d));
    if (d1 * d2 < 0 && d3 * d4 < 0) {
        const __int128 num = cross(c, d, a), den = num - cross(c, d, b);
        at = {a.x + int64_t(__int128(b.x - a.x) * num / den), a.y + int64_t(__int128(b.y - a.y) * num / den)};
        return true;
    }
    if (d1 == 0 && onSegment(c, d, a)) return at = a, true;
    if (d2 == 0 && onSegment(c, d, b)) return at = b, true;
    if (d3 == 0 && onSegment(a, b, c)) return at = c, true;
    if (d4 == 0 && onSegment(a, b, d)) return at = d, true;
    return false;
}

bool ringsCross(const std::vector<Ring>& rings) {
    struct Edge {
        int64_t minX, maxX;
        IPoint a, b;
    };
    std::vector<Edge> edges;
    for (const Ring& r : rings)
        for (size_t i = 0; i < r.size(); ++i) {
            const IPoint a = r[i], b = r[(i + 1) % r.size()];
            edges.push_back({std::min(a.x, b.x), std::max(a.x, b.x), a, b});
        }
    std::sort(edges.begin(), edges.end(), [](const Edge& p, const Edge& q) { return p.minX < q.minX; });
    for (size_t s = 0; s < edges.size(); ++s)
        for (size_t t = s + 1; t < edges.size() && edges[t].minX <= edges[s].maxX; ++t) {
            const IPoint a = edges[s].a, b = edges[s].b, c = edges[t].a, d = edges[t].b;
            if (crossProperly(a, b, c, d)) return true;
            if (insideSegment(c, d, a) || insideSegment(c, d, b) || insideSegment(a, b, c) || insideSegment(a, b, d))
                return true;
        }
    return false;
}

void castRay(const Ring& r, size_t index, double x, double y, double dx, double dy, RayHit& hit) {
    for (size_t k = 0; k < r.size(); ++k) {
        const IPoint p = r[k], q = r[(k + 1) % r.size()];
        const double ex = double(q.x - p.x), ey = double(q.y - p.y);
        const double den = dx * ey - dy * ex;
        if (den == 0) continue;
        if (ex * (y - double(p.y)) - ey * (x - double(p.x)) <= 0) continue;  // must face the ray
        const double t = ((double(p.x) - x) * ey - (double(p.y) - y) * ex) / den;
        const double u = ((double(p.x) - x) * dy - (double(p.y) - y) * dx) / den;
        if (t <= 1e-9 || u < 0 || u > 1 || t >= hit.t) continue;
        hit = {t, u, index, k};
    }
}

bool inSector(const Ring& r, size_t k, IPoint p) {
    const size_t n = r.size();
    const IPoint a = r[(k + n - 1) % n], b = r[k], c = r[(k + 1) % n];
    if (cross(a, b, c) >= 0) return cross(a, b, p) > 0 && cross(b, c, p) > 0;
    return cross(a, b, p) > 0 || cross(b, c, p) > 0;
}

bool polygonHolds(const SolidPolygon& polygon, IPoint p) {
    bool inside = false;
    auto walk = [&](const Ring& r) {
        for (size_t i = 0; i < r.size(); ++i) {
            const IPoint a = r[i], b = r[(i + 1) % r.size()];
            if (liesOn(a, b, p)) return true;
            if ((a.y > p.y) != (b.y > p.y)) {
                // the edge crosses the row of p to its right
                const __int128 side = cross(a, b, p);
                if ((side > 0) == (b.y > a.y)) inside = !inside;
            }
        }
        return false;
    };
    if (walk(polygon.outer)) return true;
    for (const Ring& h : polygon.holes)
        if (walk(h)) return true;
    return inside;
}

bool cutKeepsSimple(const SolidPolygon& polygon, const SolidPolygon& changed, const Ring& cut,
                    const std::vector<IPoint>& kept) {
    SolidPolygon region;
    region.outer = cut;
    return !anyCorner(polygon, [&](IPoint q) {
        return std::find(kept.begin(), kept.end(), q) == kept.end() && polygonHolds(region, q);
    }) && !polygonCrosses(changed);
}

bool polygonCrosses(const SolidPolygon& polygon) {
    std::vector<Ring> rings{polygon.outer};
    rings.insert(rings.end(), polygon.holes.begin(), polygon.holes.end());
    return ringsCross(rings);
}

bool triangleHoldsAny(const std::vector<IPoint>& points, IPoint a, IPoint b, IPoint c) {
    if (cross(a, b, c) < 0) std::swap(b, c);
    const int64_t x0 = std::min({a.x, b.x, c.x}), x1 = std::max({a.x, b.x, c.x});
    const auto first = std::lower_bound(points.begin(), points.end(), IPoint{x0, INT64_MIN});
    for (auto q = first; q != points.end() && q->x <= x1; ++q)
        if (triangleHolds(a, b, c, *q)) return true;
    return false;
}

SideIndex::SideIndex(const std::vector<const Ring*>& rings) {
    for (const Ring* r : rings)
        for (size_t i = 0; i < r->size(); ++i) {
            const IPoint a = (*r)[i], b = (*r)[(i + 1) % r->size()];
            sides_.push_back({std::min(a.x, b.x), a, b});
            widest_ = std::max(widest_, std::max(a.x, b.x) - std::min(a.x, b.x));
        }
    std::sort(sides_.begin(), sides_.end(), [](const Side& p, const Side& q) { return p.minX < q.minX; });
}

bool SideIndex::crossedBy(IPoint a, IPoint b) const {
    const int64_t x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    const auto first = std::lower_bound(sides_.begin(), sides_.end(), x0 - widest_,
                                        [](const Side& s, int64_t x) { return s.minX < x; });
    for (auto s = first; s != sides_.end() && s->minX <= x1; ++s)
        if (crossProperly(a, b, s->a, s->b)) return true;
    return false;
}

namespace {

int winding(const Ring& r, double x, double y) {
    int w = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        const IPoint a = r[i], b = r[(i + 1) % r.size()];
        const double ax = double(a.x), ay = double(a.y), bx = double(b.x), by = double(b.y);
        const double side = (bx - ax) * (y - ay) - (by - ay) * (x - ax);
        if (ay <= y && by > y && side > 0) ++w;
        if (ay > y && by <= y && side < 0) --w;
    }
    return w;
}

}  // namespace

bool regionHolds(const SourceRegion& r, double x, double y) {
    int w = 0;
    for (const Ring& ring : r.outlines) w += winding(ring, x, y);
    return r.evenOdd ? (w % 2 != 0) : w != 0;
}

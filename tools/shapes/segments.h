// Where segments meet, exactly in integers: the tests behind refusing a
// self-crossing outline, checking a cut can see its end, and checking the
// union came out simple.
#pragma once

#include <vector>

#include "tools/shapes/shape_types.h"

inline int sign(__int128 v) { return (v > 0) - (v < 0); }

inline int64_t length2(IPoint a, IPoint b) { return (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y); }

// Whether corner i of the counter-clockwise ring turns inwards.
inline bool isReflex(const Ring& r, size_t i) {
    const size_t n = r.size();
    return cross(r[(i + n - 1) % n], r[i], r[(i + 1) % n]) < 0;
}

// p lies in the closed counter-clockwise triangle abc.
inline bool triangleHolds(IPoint a, IPoint b, IPoint c, IPoint p) {
    return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
}

// Some point of `points` (sorted) lies in the closed triangle abc, of
// either winding.
bool triangleHoldsAny(const std::vector<IPoint>& points, IPoint a, IPoint b, IPoint c);

// The sides of some rings, for asking whether a segment would cross one:
// a corner moved or a notch filled must not reach over another polygon.
class SideIndex {
public:
    SideIndex() = default;
    explicit SideIndex(const std::vector<const Ring*>& rings);
    // Segment ab and some side cross where both are strictly inside:
    // the solid either side would overlap.
    bool crossedBy(IPoint a, IPoint b) const;

private:
    struct Side {
        int64_t minX;
        IPoint a, b;
    };
    std::vector<Side> sides_;  // by least x
    int64_t widest_ = 0;       // the widest side in x, to bound the search
};

// p lies on the closed segment ab.
bool liesOn(IPoint a, IPoint b, IPoint p);

// The point lies in the region, under its fill rule.
bool regionHolds(const SourceRegion& region, double x, double y);

// p lies inside the polygon or on its outline.
bool polygonHolds(const SolidPolygon& polygon, IPoint p);

// Segments ab and cd cross where both are strictly inside.
inline bool crossProperly(IPoint a, IPoint b, IPoint c, IPoint d) {
    return sign(cross(c, d, a)) * sign(cross(c, d, b)) < 0 && sign(cross(a, b, c)) * sign(cross(a, b, d)) < 0;
}

// Closed segments ab and cd meet; at is a point they share.
bool segmentsMeet(IPoint a, IPoint b, IPoint c, IPoint d, IPoint& at);

// Whether edges of the rings cross, or one's corner lies inside another's
// edge, or two run along each other: anything but touching at corners.
bool ringsCross(const std::vector<Ring>& rings);

// Whether some corner of the polygon's rings is one `pred` holds for.
template <typename Pred>
bool anyCorner(const SolidPolygon& polygon, Pred pred) {
    for (const IPoint& q : polygon.outer)
        if (pred(q)) return true;
    for (const Ring& h : polygon.holes)
        for (const IPoint& q : h)
            if (pred(q)) return true;
    return false;
}

// Whether the polygon's outline and holes cross, as ringsCross.
bool polygonCrosses(const SolidPolygon& polygon);

// Whether the polygon, changed only within the ring `cut` (whose corners
// `kept` are the polygon's own), stays simple: no other corner of it lies
// in the cut, and no edges of the changed rings cross.
bool cutKeepsSimple(const SolidPolygon& polygon, const SolidPolygon& changed, const Ring& cut,
                    const std::vector<IPoint>& kept);

// Whether the direction from corner k of the counter-clockwise ring
// towards p points into the polygon's side of that corner.
bool inSector(const Ring& r, size_t k, IPoint p);

// Where a ray from (x, y) along (dx, dy) first meets an outline edge whose
// inside faces it: t in lengths of (dx, dy), u along the edge from its
// first corner (0 to 1), and which ring and edge. t stays 1e300 on a miss.
struct RayHit {
    double t = 1e300, u = 0;
    size_t ring = 0, edge = 0;
};

// Tries the edges of `r` (ring number `index`), keeping the nearer hit.
void castRay(const Ring& r, size_t index, double x, double y, double dx, double dy, RayHit& hit);

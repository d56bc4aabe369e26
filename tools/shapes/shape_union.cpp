// Union by Clipper, which works on integer points exactly: each region is
// first resolved under its own fill rule, then all are joined.
#include "tools/shapes/shape_union.h"

#include <algorithm>

#include <clipper.hpp>

#include "tools/shapes/segments.h"

namespace {

// Corner-to-side tests, at most, in finding corners a hair inside another
// ring's side: many times a drawing's usual size.
constexpr size_t kSnapWork = 20000000;
// Times a union whose rounded outlines still cross is joined again.
constexpr int kJoinAgain = 3;

ClipperLib::Path toPath(const Ring& r) {
    ClipperLib::Path p;
    p.reserve(r.size());
    for (const IPoint& q : r) p.push_back(ClipperLib::IntPoint(q.x, q.y));
    return p;
}

Ring toRing(const ClipperLib::Path& p) {
    Ring r;
    r.reserve(p.size());
    for (const ClipperLib::IntPoint& q : p) r.push_back({q.X, q.Y});
    return r;
}

// Starts the ring at its smallest point.
Ring canonical(Ring r) {
    if (!r.empty()) std::rotate(r.begin(), std::min_element(r.begin(), r.end()), r.end());
    return r;
}

__int128 twiceArea(const Ring& r) {
    __int128 a = 0;
    for (size_t i = 0; i < r.size(); ++i) a += cross(IPoint{0, 0}, r[i], r[(i + 1) % r.size()]);
    return a;
}

void collect(const ClipperLib::PolyNode& node, std::vector<SolidPolygon>& out) {
    for (const ClipperLib::PolyNode* outer : node.Childs) {
        SolidPolygon poly;
        poly.outer = canonical(withoutStraightPoints(toRing(outer->Contour)));
        for (const ClipperLib::PolyNode* hole : outer->Childs) {
            Ring h = canonical(withoutStraightPoints(toRing(hole->Contour)));
            if (!h.empty()) poly.holes.push_back(std::move(h));
            collect(*hole, out);
        }
        std::sort(poly.holes.begin(), poly.holes.end());
        if (!poly.outer.empty()) out.push_back(std::move(poly));
    }
}

// Two shapes that all but touch can leave one ring's corner a hair inside
// another's side once the crossings are rounded to whole points, and no
// union finds a crossing to round there. Such a corner steps back to the
// nearest whole point out of the other ring's solid, which moves it by a
// unit at most and keeps the other's side as it is; where that still
// leaves rings crossing, the sides are routed through such corners
// instead. The corners' rings and places, and the sides they lie a hair
// inside: none where there are none, or too many to weigh.
struct NearCorner {
    Ring* ring;
    size_t at;
    IPoint a, b;  // the side, the solid on its left
};

std::vector<NearCorner> cornersInsideSides(std::vector<SolidPolygon>& solid) {
    struct Corner {
        IPoint p;
        Ring* ring;
        size_t at;
        bool operator<(const Corner& o) const { return p < o.p; }
    };
    std::vector<Corner> corners;
    for (SolidPolygon& polygon : solid) {
        for (size_t i = 0; i < polygon.outer.size(); ++i) corners.push_back({polygon.outer[i], &polygon.outer, i});
        for (Ring& h : polygon.holes)
            for (size_t i = 0; i < h.size(); ++i) corners.push_back({h[i], &h, i});
    }
    std::sort(corners.begin(), corners.end());
    std::vector<NearCorner> near;
    size_t work = kSnapWork;
    for (SolidPolygon& polygon : solid) {
        std::vector<Ring*> rings{&polygon.outer};
        for (Ring& h : polygon.holes) rings.push_back(&h);
        for (Ring* r : rings) {
            const bool leftward = (twiceArea(*r) > 0) == (r == &polygon.outer);
            for (size_t i = 0; i < r->size(); ++i) {
                IPoint a = (*r)[i], b = (*r)[(i + 1) % r->size()];
                if (!leftward) std::swap(a, b);
                const int64_t x0 = std::min(a.x, b.x) - 1, x1 = std::max(a.x, b.x) + 1;
                const int64_t y0 = std::min(a.y, b.y) - 1, y1 = std::max(a.y, b.y) + 1;
                const double ex = double(b.x - a.x), ey = double(b.y - a.y), len2 = ex * ex + ey * ey;
                for (auto q = std::lower_bound(corners.begin(), corners.end(), Corner{{x0, INT64_MIN}, nullptr, 0});
                     q != corners.end() && q->p.x <= x1; ++q) {
                    if (work-- == 0) return {};
                    if (q->p.y < y0 || q->p.y > y1 || q->p == a || q->p == b) continue;
                    // cross / |e| is the distance off the side's line, positive in its solid.
                    const double off = double(cross(a, b, q->p));
                    const double along = (double(q->p.x - a.x) * ex + double(q->p.y - a.y) * ey) / len2;
                    if (off > 0 && off * off < 0.25 * len2 && along > 0 && along < 1) near.push_back({q->ring, q->at, a, b});
                }
            }
        }
    }
    return near;
}

bool solidCrosses(const std::vector<SolidPolygon>& solid) {
    std::vector<Ring> outlines;
    for (const SolidPolygon& p : solid) {
        outlines.push_back(p.outer);
        outlines.insert(outlines.end(), p.holes.begin(), p.holes.end());
    }
    return ringsCross(outlines);
}

// Whether a side of one polygon crosses a side of another where both are
// strictly inside: the two then overlap. A ring that crosses itself by a
// hair meshes as it is. Only sides within where two polygons' bounds meet
// are weighed.
bool polygonsCross(const std::vector<SolidPolygon>& solid) {
    struct Bounds {
        int64_t x0 = INT64_MAX, x1 = INT64_MIN, y0 = INT64_MAX, y1 = INT64_MIN;
    };
    std::vector<Bounds> bounds(solid.size());
    for (size_t k = 0; k < solid.size(); ++k)
        for (const IPoint& p : solid[k].outer) {
            bounds[k].x0 = std::min(bounds[k].x0, p.x), bounds[k].x1 = std::max(bounds[k].x1, p.x);
            bounds[k].y0 = std::min(bounds[k].y0, p.y), bounds[k].y1 = std::max(bounds[k].y1, p.y);
        }
    struct Side {
        int64_t minX, maxX;
        IPoint a, b;
        bool second;
    };
    for (size_t i = 0; i < solid.size(); ++i)
        for (size_t j = i + 1; j < solid.size(); ++j) {
            const Bounds m{std::max(bounds[i].x0, bounds[j].x0), std::min(bounds[i].x1, bounds[j].x1),
                           std::max(bounds[i].y0, bounds[j].y0), std::min(bounds[i].y1, bounds[j].y1)};
            if (m.x0 > m.x1 || m.y0 > m.y1) continue;
            std::vector<Side> sides;
            for (const size_t k : {i, j}) {
                std::vector<const Ring*> rings{&solid[k].outer};
                for (const Ring& h : solid[k].holes) rings.push_back(&h);
                for (const Ring* r : rings)
                    for (size_t n = 0; n < r->size(); ++n) {
                        const IPoint a = (*r)[n], b = (*r)[(n + 1) % r->size()];
                        if (std::max(a.x, b.x) < m.x0 || std::min(a.x, b.x) > m.x1 || std::max(a.y, b.y) < m.y0 ||
                            std::min(a.y, b.y) > m.y1)
                            continue;
                        sides.push_back({std::min(a.x, b.x), std::max(a.x, b.x), a, b, k == j});
                    }
            }
            std::sort(sides.begin(), sides.end(), [](const Side& p, const Side& q) { return p.minX < q.minX; });
            for (size_t s = 0; s < sides.size(); ++s)
                for (size_t t = s + 1; t < sides.size() && sides[t].minX <= sides[s].maxX; ++t) {
                    if (sides[s].second == sides[t].second) continue;
                    if (crossProperly(sides[s].a, sides[s].b, sides[t].a, sides[t].b)) return true;
                }
        }
    return false;
}

void settleNearCorners(std::vector<SolidPolygon>& solid) {
    const std::vector<NearCorner> near = cornersInsideSides(solid);
    if (near.empty()) return;
    const std::vector<SolidPolygon> before = solid;
    static const IPoint steps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const NearCorner& c : near) {
        IPoint& q = (*c.ring)[c.at];
        if (cross(c.a, c.b, q) <= 0) continue;  // already stepped back
        for (const IPoint s : steps)
            if (cross(c.a, c.b, IPoint{q.x + s.x, q.y + s.y}) <= 0) {
                q = {q.x + s.x, q.y + s.y};
                break;
            }
    }
    if (!solidCrosses(solid)) return;
    // Routed instead: each side through the corners a hair inside it, in
    // order along it.
    solid = before;
    for (SolidPolygon& polygon : solid) {
        std::vector<Ring*> rings{&polygon.outer};
        for (Ring& h : polygon.holes) rings.push_back(&h);
        for (Ring* r : rings) {
            Ring routed;
            for (size_t i = 0; i < r->size(); ++i) {
                const IPoint a = (*r)[i], b = (*r)[(i + 1) % r->size()];
                routed.push_back(a);
                std::vector<std::pair<__int128, IPoint>> through;
                for (const NearCorner& c : near) {
                    const IPoint q = (*c.ring)[c.at];
                    if ((c.a == a && c.b == b) || (c.a == b && c.b == a))
                        through.push_back({__int128(q.x - a.x) * (b.x - a.x) + __int128(q.y - a.y) * (b.y - a.y), q});
                }
                std::sort(through.begin(), through.end(), [](const auto& p, const auto& q) { return p.first < q.first; });
                for (const auto& t : through) routed.push_back(t.second);
            }
            r->swap(routed);
        }
    }
}

}  // namespace

Ring withoutStraightPoints(const Ring& ring) {
    Ring r;
    for (const IPoint& p : ring)
        if (r.empty() || r.back() != p) r.push_back(p);
    while (r.size() > 1 && r.front() == r.back()) r.pop_back();
    bool changed = true;
    while (changed && r.size() >= 3) {
        changed = false;
        Ring kept;
        const size_t n = r.size();
        for (size_t i = 0; i < n; ++i) {
            const IPoint prev = kept.empty() ? r[(i + n - 1) % n] : kept.back();
            if (cross(prev, r[i], r[(i + 1) % n]) == 0) {
                changed = true;
                continue;
            }
            kept.push_back(r[i]);
        }
        r.swap(kept);
    }
    if (r.size() < 3 || twiceArea(r) == 0) r.clear();
    return r;
}

namespace {

// The region resolved under its own fill rule.
ClipperLib::Paths solvedRegion(const SourceRegion& region) {
    ClipperLib::Clipper own;
    for (const Ring& r : region.outlines)
        if (r.size() >= 3) own.AddPath(toPath(r), ClipperLib::ptSubject, true);
    ClipperLib::Paths solved;
    const ClipperLib::PolyFillType rule = region.evenOdd ? ClipperLib::pftEvenOdd : ClipperLib::pftNonZero;
    own.Execute(ClipperLib::ctUnion, solved, rule, rule);
    return solved;
}

double pathsArea(const ClipperLib::Paths& paths) {
    double a = 0;
    for (const ClipperLib::Path& p : paths) a += ClipperLib::Area(p);
    return a;
}

ClipperLib::Paths clipped(const ClipperLib::Paths& a, const ClipperLib::Paths& b, ClipperLib::ClipType type) {
    ClipperLib::Clipper c;
    c.AddPaths(a, ClipperLib::ptSubject, true);
    c.AddPaths(b, ClipperLib::ptClip, true);
    ClipperLib::Paths out;
    c.Execute(type, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

ClipperLib::Paths grown(const ClipperLib::Paths& a, double by) {
    ClipperLib::ClipperOffset o;
    o.AddPaths(a, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    ClipperLib::Paths out;
    o.Execute(out, by);
    return out;
}

// Region pairs weighed, at most, in looking for overlaps of a hair.
constexpr size_t kPartPairs = 50000;

std::vector<SolidPolygon> uniteSolved(const std::vector<ClipperLib::Paths>& solved) {
    ClipperLib::Paths joined;
    for (const ClipperLib::Paths& s : solved) joined.insert(joined.end(), s.begin(), s.end());
    // First not strictly simple: that mode can move a corner of one shape
    // by a unit where another has a corner on the next row, and the cover
    // would then differ from the drawing (the mesher takes rings that touch
    // at corners). But without it, intersections rounded to whole points
    // can leave edges crossing by a hair: then the strict mode's union.
    ClipperLib::PolyTree tree;
    bool strictlySimple = false;
    for (const bool strict : {false, true}) {
        strictlySimple = strict;
        ClipperLib::Clipper all;
        all.StrictlySimple(strict);
        all.AddPaths(joined, ClipperLib::ptSubject, true);
        all.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        if (strict) break;
        ClipperLib::Paths rings;
        ClipperLib::PolyTreeToPaths(tree, rings);
        std::vector<Ring> outlines;
        for (const ClipperLib::Path& p : rings) outlines.push_back(toRing(p));
        if (!ringsCross(outlines)) break;
    }
    std::vector<SolidPolygon> out;
    collect(tree, out);
    if (strictlySimple && solidCrosses(out)) settleNearCorners(out);
    // Two polygons still crossing, where outlines that touch at a corner
    // leave each other at a hair's angle and rounding tips one over the
    // other: the rounded outlines are joined again, now whole points
    // throughout.
    for (int again = 0; again < kJoinAgain && polygonsCross(out); ++again) {
        ClipperLib::Clipper all;
        all.StrictlySimple(true);
        for (const SolidPolygon& p : out) {
            all.AddPath(toPath(p.outer), ClipperLib::ptSubject, true);
            for (const Ring& h : p.holes) all.AddPath(toPath(h), ClipperLib::ptSubject, true);
        }
        all.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        out.clear();
        collect(tree, out);
        if (solidCrosses(out)) settleNearCorners(out);
    }
    std::sort(out.begin(), out.end(), [](const SolidPolygon& a, const SolidPolygon& b) { return a.outer < b.outer; });
    return out;
}

}  // namespace

std::vector<SolidPolygon> uniteRegions(const std::vector<SourceRegion>& regions) {
    std::vector<ClipperLib::Paths> solved;
    for (const SourceRegion& region : regions) solved.push_back(solvedRegion(region));
    return uniteSolved(solved);
}

std::vector<SolidPolygon> uniteRegionsParted(const std::vector<SourceRegion>& regions, std::vector<size_t>& parted) {
    parted.clear();
    std::vector<ClipperLib::Paths> solved;
    struct Box {
        ClipperLib::cInt x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
    };
    std::vector<Box> boxes;
    for (const SourceRegion& region : regions) {
        solved.push_back(solvedRegion(region));
        Box b;
        for (const ClipperLib::Path& p : solved.back())
            for (const ClipperLib::IntPoint& q : p)
                b = {std::min(b.x0, q.X), std::min(b.y0, q.Y), std::max(b.x1, q.X), std::max(b.y1, q.Y)};
        boxes.push_back(b);
    }
    size_t pairs = 0;
    for (size_t i = 0; i < solved.size(); ++i)
        for (size_t j = i + 1; j < solved.size() && pairs < kPartPairs; ++j) {
            const Box &a = boxes[i], &b = boxes[j];
            if (a.x0 > b.x1 || b.x0 > a.x1 || a.y0 > b.y1 || b.y0 > a.y1) continue;
            ++pairs;
            // With one grown by a unit, so that two that touch once rounded
            // count too. A hair: under three units across, so that nothing
            // is left of it shrunk by one and a half.
            const ClipperLib::Paths overlap = clipped(solved[i], grown(solved[j], 1), ClipperLib::ctIntersection);
            // Clipper drops an overlap of less than a unit's area, yet the
            // union may still join the two there: a touch as well.
            const bool touch = overlap.empty() && clipped(solved[i], solved[j], ClipperLib::ctUnion).size() <
                                                      solved[i].size() + solved[j].size();
            if (!touch && (overlap.empty() || !grown(overlap, -1.5).empty())) continue;
            // The one that loses less parts from the other grown by two.
            ClipperLib::Paths fromI = clipped(solved[i], grown(solved[j], 2), ClipperLib::ctDifference);
            ClipperLib::Paths fromJ = clipped(solved[j], grown(solved[i], 2), ClipperLib::ctDifference);
            const double lossI = pathsArea(solved[i]) - pathsArea(fromI), lossJ = pathsArea(solved[j]) - pathsArea(fromJ);
            // Two that lose alike (tiles side by side) choose by their own
            // outlines, not by the order they were drawn in.
            const auto outlines = [](const ClipperLib::Paths& paths) {
                std::vector<Ring> rings;
                for (const ClipperLib::Path& p : paths) rings.push_back(toRing(p));
                return rings;
            };
            const size_t k = lossI < lossJ ? i : lossJ < lossI ? j : outlines(solved[j]) < outlines(solved[i]) ? j : i;
            solved[k] = std::move(k == i ? fromI : fromJ);
            if (parted.empty() || parted.back() != k) parted.push_back(k);
        }
    std::sort(parted.begin(), parted.end());
    parted.erase(std::unique(parted.begin(), parted.end()), parted.end());
    return uniteSolved(solved);
}


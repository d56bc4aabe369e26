// Union by Clipper, which works on integer points exactly: each region is
// first resolved under its own fill rule, then all are joined.
#include "tools/shapes/shape_union.h"

#include <algorithm>

#include <clipper.hpp>

#include "tools/shapes/segments.h"

namespace {

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

std::vector<SolidPolygon> uniteRegions(const std::vector<SourceRegion>& regions) {
    ClipperLib::Paths joined;
    for (const SourceRegion& region : regions) {
        ClipperLib::Clipper own;
        for (const Ring& r : region.outlines)
            if (r.size() >= 3) own.AddPath(toPath(r), ClipperLib::ptSubject, true);
        ClipperLib::Paths solved;
        const ClipperLib::PolyFillType rule = region.evenOdd ? ClipperLib::pftEvenOdd : ClipperLib::pftNonZero;
        own.Execute(ClipperLib::ctUnion, solved, rule, rule);
        joined.insert(joined.end(), solved.begin(), solved.end());
    }
    // First not strictly simple: that mode can move a corner of one shape
    // by a unit where another has a corner on the next row, and the cover
    // would then differ from the drawing (the mesher takes rings that touch
    // at corners). But without it, intersections rounded to whole points
    // can leave edges crossing by a hair: then the strict mode's union.
    ClipperLib::PolyTree tree;
    for (const bool strict : {false, true}) {
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
    std::sort(out.begin(), out.end(), [](const SolidPolygon& a, const SolidPolygon& b) { return a.outer < b.outer; });
    return out;
}

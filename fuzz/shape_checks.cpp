// The compile under test, and the regions read again to measure the union.
#include "fuzz/shape_checks.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include <clipper.hpp>

#include "fuzz/fuzz_support.h"
#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/shape_compile.h"
#include "tools/shapes/shape_text.h"
#include "tools/shapes/shape_union.h"
#include "tools/shapes/svg_reader.h"

namespace fuzz {

namespace {

// Pairs tested for overlap: all of them up to this many triangles.
constexpr std::size_t kOverlapLimit = 300;

__int128 area2(const FileTriangle& t) {
    const __int128 v = __int128(int64_t(t.c[2]) - t.c[0]) * (int64_t(t.c[5]) - t.c[1]) -
                       __int128(int64_t(t.c[3]) - t.c[1]) * (int64_t(t.c[4]) - t.c[0]);
    return v < 0 ? -v : v;
}

// Where p lies against one outline: 0 outside, 1 inside, 2 on it; the
// winding number counts the turns for a nonzero fill.
int where(const Ring& r, IPoint p, int& winding) {
    const std::size_t n = r.size();
    for (std::size_t i = 0; i < n; ++i) {
        const IPoint a = r[i], b = r[(i + 1) % n];
        if (cross(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
            std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y))
            return 2;
        if (a.y <= p.y && b.y > p.y && cross(a, b, p) > 0) ++winding;
        if (a.y > p.y && b.y <= p.y && cross(a, b, p) < 0) --winding;
    }
    return 0;
}

// Whether p is inside a region or within two units of one of its
// outlines: intersections are rounded to whole points, so a corner less
// than a unit proud of another shape may rightly be lost.
bool touches(const SourceRegion& region, IPoint p) {
    int winding = 0;
    for (const Ring& r : region.outlines) {
        if (where(r, p, winding) == 2) return true;
        for (std::size_t i = 0; i < r.size(); ++i) {
            const IPoint a = r[i], b = r[(i + 1) % r.size()];
            const double ex = double(b.x - a.x), ey = double(b.y - a.y), l2 = ex * ex + ey * ey;
            const double t = l2 > 0 ? std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / l2, 0.0, 1.0) : 0.0;
            if (std::hypot(double(p.x) - (double(a.x) + t * ex), double(p.y) - (double(a.y) + t * ey)) < 2) return true;
        }
    }
    // Each crossing of the ray turns the count by one, so its parity is
    // that of the crossings.
    return region.evenOdd ? winding % 2 != 0 : winding != 0;
}

bool hasCorner(const std::vector<SolidPolygon>& solid, IPoint p) {
    for (const SolidPolygon& s : solid) {
        if (std::find(s.outer.begin(), s.outer.end(), p) != s.outer.end()) return true;
        for (const Ring& h : s.holes)
            if (std::find(h.begin(), h.end(), p) != h.end()) return true;
    }
    return false;
}

// Whether corner p stays a corner of what region k adds beyond the others:
// a spike that crosses another region can leave less than a unit beyond
// it, which rounds away with the corner at its tip.
bool keptBeyondOthers(const std::vector<SourceRegion>& regions, std::size_t k, IPoint p) {
    std::vector<SourceRegion> others;
    for (std::size_t o = 0; o < regions.size(); ++o)
        if (o != k) others.push_back(regions[o]);
    ClipperLib::Clipper c;
    auto path = [](const Ring& r) {
        ClipperLib::Path out;
        for (const IPoint& q : r) out.push_back(ClipperLib::IntPoint(q.x, q.y));
        return out;
    };
    for (const Ring& r : regions[k].outlines)
        if (r.size() >= 3) c.AddPath(path(r), ClipperLib::ptSubject, true);
    for (const SolidPolygon& s : uniteRegions(others)) {
        c.AddPath(path(s.outer), ClipperLib::ptClip, true);
        for (const Ring& h : s.holes) c.AddPath(path(h), ClipperLib::ptClip, true);
    }
    ClipperLib::Paths beyond;
    const ClipperLib::PolyFillType rule = regions[k].evenOdd ? ClipperLib::pftEvenOdd : ClipperLib::pftNonZero;
    c.Execute(ClipperLib::ctDifference, beyond, rule, ClipperLib::pftEvenOdd);
    for (const ClipperLib::Path& b : beyond)
        for (const ClipperLib::IntPoint& q : b)
            if (q.X == p.x && q.Y == p.y) return true;
    return false;
}

// The union is checked against the regions themselves, not only against
// what the union gave: a corner of a simple one-outline region that lies
// clear of every other region must be a corner of the solid, where it was
// drawn, unless the region alone loses it (a sliver under a unit wide) or
// what it adds beyond the others does.
void checkCornersKept(const std::vector<SourceRegion>& regions, const std::vector<SolidPolygon>& solid) {
    std::size_t work = 0;
    for (std::size_t k = 0; k < regions.size(); ++k) {
        if (regions[k].outlines.size() != 1) continue;
        const Ring& r = regions[k].outlines[0];
        IPoint at;
        if (r.size() > 2000 || ringSelfCrosses(r, at)) continue;
        std::vector<SolidPolygon> alone;
        for (std::size_t i = 0; i < r.size(); ++i) {
            const IPoint p = r[i];
            if (cross(r[(i + r.size() - 1) % r.size()], p, r[(i + 1) % r.size()]) == 0) continue;
            if (++work > 20000) return;
            bool clear = true;
            for (std::size_t o = 0; o < regions.size() && clear; ++o) clear = o == k || !touches(regions[o], p);
            if (!clear || hasCorner(solid, p)) continue;
            if (alone.empty()) alone = uniteRegions({regions[k]});
            if (hasCorner(alone, p) && keptBeyondOthers(regions, k, p))
                fail("corner (%lld, %lld) of region %zu is not where the solid has it", (long long)p.x, (long long)p.y, k);
        }
    }
}

}  // namespace

void checkShapeCompile(const uint8_t* data, std::size_t size, const std::string& name) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CompiledLevel level;
    const std::string fault = compileLevelSource(bytes, name, true, level);
    if (!fault.empty()) {
        checkMessages(fault + "\n", name, 11);
        return;
    }
    for (const std::string& w : level.warnings) checkMessages(w + "\n", name, 1);
    if (level.triangles.size() > std::size_t(kMaxTriangles)) fail("%zu triangles written", level.triangles.size());
    if (level.lines.size() != level.triangles.size()) fail("%zu lines for %zu triangles", level.lines.size(), level.triangles.size());

    // The regions again, and the kept triangles ahead of the solid's.
    std::vector<SourceRegion> regions;
    std::size_t kept = 0;
    if (isSvgSource(bytes, name)) {
        std::vector<std::string> warnings;
        KeptTriangles keep;
        if (!readSvg(bytes, name, regions, warnings, &keep, level.curves).empty())
            fail("the drawing reads differently the second time");
        kept = keep.triangles.size();
    } else {
        std::istringstream in(bytes);
        ShapeText text;
        if (!parseShapeText(in, name, text).empty()) fail("the text parses differently the second time");
        regions = text.shapes;
        kept = text.triangles.triangles.size();
    }
    const std::vector<SolidPolygon> united = uniteRegions(regions);
    checkCornersKept(regions, united);
    __int128 solid = 0;
    for (const SolidPolygon& p : united) {
        solid += ringArea(p.outer) < 0 ? -ringArea(p.outer) : ringArea(p.outer);
        for (const Ring& h : p.holes) solid -= ringArea(h) < 0 ? -ringArea(h) : ringArea(h);
    }
    __int128 meshed = 0;
    const std::vector<FileTriangle> mesh(level.triangles.begin() + long(kept), level.triangles.end());
    for (std::size_t i = 0; i < mesh.size(); ++i) {
        const FileTriangle& t = mesh[i];
        if (area2(t) == 0) fail("triangle %zu of the solid has no area", i);
        meshed += area2(t);
        if (triangleThickness(t) < kMinThickness) fail("triangle %zu is %.1f thick", i, triangleThickness(t));
        if (triangleCanVanish(t)) fail("triangle %zu can vanish while on screen", i);
        if (mesh.size() <= kOverlapLimit)
            for (std::size_t k = i + 1; k < mesh.size(); ++k)
                if (trianglesOverlap(t, mesh[k])) fail("triangles %zu and %zu of the solid overlap", i, k);
    }
    if (meshed + level.bentArea2 != solid)
        fail("the triangles cover %.0f, the solid %.0f less %.0f bent off (twice the area)", double(meshed), double(solid),
             double(level.bentArea2));

    // Once more for the same bytes, where that costs little.
    if (level.triangles.size() > kOverlapLimit) return;
    CompiledLevel again;
    if (!compileLevelSource(bytes, name, true, again).empty() || encodeLevel(again.triangles) != encodeLevel(level.triangles))
        fail("a second compile of the same source differs");
}

}  // namespace fuzz

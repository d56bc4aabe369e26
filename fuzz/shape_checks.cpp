// The compile under test, and the regions read again to measure the union.
#include "fuzz/shape_checks.h"

#include <sstream>
#include <vector>

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
        if (!readSvg(bytes, name, regions, warnings, &keep).empty()) fail("the drawing reads differently the second time");
        kept = keep.triangles.size();
    } else {
        std::istringstream in(bytes);
        ShapeText text;
        if (!parseShapeText(in, name, text).empty()) fail("the text parses differently the second time");
        regions = text.shapes;
        kept = text.triangles.triangles.size();
    }
    __int128 solid = 0;
    for (const SolidPolygon& p : uniteRegions(regions)) {
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
    if (meshed != solid) fail("the triangles cover %.0f, the solid %.0f (twice the area)", double(meshed), double(solid));

    // Once more for the same bytes, where that costs little.
    if (level.triangles.size() > kOverlapLimit) return;
    CompiledLevel again;
    if (!compileLevelSource(bytes, name, true, again).empty() || encodeLevel(again.triangles) != encodeLevel(level.triangles))
        fail("a second compile of the same source differs");
}

}  // namespace fuzz

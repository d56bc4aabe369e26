// Source to triangles: read, join, mesh, and name the shape at fault.
#include "tools/shapes/shape_compile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/shapes/shape_mesh.h"
#include "tools/shapes/shape_text.h"
#include "tools/shapes/shape_union.h"
#include "tools/shapes/svg_reader.h"

namespace {

constexpr int kMaxThinReports = 10;

bool endsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = s[s.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

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

bool regionHolds(const SourceRegion& r, double x, double y) {
    int w = 0;
    for (const Ring& ring : r.outlines) w += winding(ring, x, y);
    return r.evenOdd ? (w % 2 != 0) : w != 0;
}

// The region a triangle of the solid came from: the first that holds its
// centre, else the first.
class RegionFinder {
public:
    explicit RegionFinder(const std::vector<SourceRegion>& regions) : regions_(regions) {
        for (const SourceRegion& r : regions) {
            Box b{1e300, -1e300, 1e300, -1e300};
            for (const Ring& ring : r.outlines)
                for (const IPoint& p : ring) {
                    b.minX = std::min(b.minX, double(p.x));
                    b.maxX = std::max(b.maxX, double(p.x));
                    b.minY = std::min(b.minY, double(p.y));
                    b.maxY = std::max(b.maxY, double(p.y));
                }
            boxes_.push_back(b);
        }
    }
    const SourceRegion* of(const FileTriangle& t) const {
        if (regions_.size() == 1) return &regions_.front();
        const double x = (double(t.c[0]) + t.c[2] + t.c[4]) / 3, y = (double(t.c[1]) + t.c[3] + t.c[5]) / 3;
        for (size_t i = 0; i < regions_.size(); ++i) {
            const Box& b = boxes_[i];
            if (x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY && regionHolds(regions_[i], x, y))
                return &regions_[i];
        }
        return regions_.empty() ? nullptr : &regions_.front();
    }

private:
    struct Box {
        double minX, maxX, minY, maxY;
    };
    const std::vector<SourceRegion>& regions_;
    std::vector<Box> boxes_;
};

std::string worldNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", v);
    return text;
}

}  // namespace

bool isSvgSource(const std::string& bytes, const std::string& name) {
    if (endsWith(name, ".svg")) return true;
    if (endsWith(name, ".txt")) return false;
    size_t i = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    return i < bytes.size() && bytes[i] == '<';
}

std::string compileLevelSource(const std::string& bytes, const std::string& name, bool checked, CompiledLevel& out) {
    out = CompiledLevel{};
    std::vector<SourceRegion> regions;
    if (isSvgSource(bytes, name)) {
        KeptTriangles kept;
        if (std::string e = readSvg(bytes, name, regions, out.warnings, &kept); !e.empty()) return e;
        out.triangles = std::move(kept.triangles);
        out.lines = std::move(kept.lines);
    } else {
        std::istringstream in(bytes);
        ShapeText text;
        if (std::string e = parseShapeText(in, name, text); !e.empty()) return e;
        out.triangles = text.triangles.triangles;
        out.lines = text.triangles.lines;
        regions = std::move(text.shapes);
    }
    if (out.triangles.size() > size_t(kMaxTriangles))
        return name + ": more than " + std::to_string(kMaxTriangles) + " triangles";
    if (regions.empty()) return "";
    // Meshing goes a little past the limit, so that a refusal can mostly
    // give the count, but not far: meshing costs time.
    const size_t room = size_t(kMaxTriangles) + 500;
    std::vector<FileTriangle> solid;
    const std::string fault = meshSolid(uniteRegions(regions), room, solid);
    if (!fault.empty()) return name + ": " + fault;
    std::string thin;
    int reported = 0;
    const RegionFinder finder(regions);
    for (const FileTriangle& t : solid) {
        const SourceRegion* r = finder.of(t);
        out.triangles.push_back(t);
        out.lines.push_back(r ? r->line : 0);
        const double thickness = triangleThickness(t);
        if (!checked || reported == kMaxThinReports) continue;
        // The mesher splits what can vanish; a part thin by nature can
        // leave such a triangle all the same.
        const bool vanishes = thickness >= kMinThickness && triangleCanVanish(t);
        if (thickness >= kMinThickness && !vanishes) continue;
        ++reported;
        const double x = (double(t.c[0]) + t.c[2] + t.c[4]) / 3 * kFileToWorld;
        const double y = (double(t.c[1]) + t.c[3] + t.c[5]) / 3 * kFileToWorld;
        thin += name + (r && r->line ? ":" + std::to_string(r->line) : std::string()) + ": " +
                (r ? r->label : std::string("shape")) +
                (vanishes ? std::string(" leaves a triangle that can vanish while on screen")
                          : " is " + worldNumber(std::floor(thickness)) + " world units thick") +
                " near (" + worldNumber(x) + ", " + worldNumber(y) + ")\n";
    }
    if (!thin.empty()) {
        thin.pop_back();
        return thin;
    }
    if (out.triangles.size() > size_t(kMaxTriangles))
        return name + ": " + std::to_string(out.triangles.size()) + " triangles, at most " + std::to_string(kMaxTriangles);
    return "";
}

std::string compileLevel(const std::string& bytes, const std::string& name, bool checked, CompiledLevel& out) {
    std::string fault = compileLevelSource(bytes, name, checked, out);
    if (!fault.empty() || !checked) return fault;
    for (const LevelProblem& p : checkLevel(out.triangles)) fault += formatProblem(p, name, &out.lines) + '\n';
    if (!fault.empty()) fault.pop_back();
    return fault;
}

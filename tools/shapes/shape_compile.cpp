// Source to triangles: read, join, mesh, and name the shape at fault.
#include "tools/shapes/shape_compile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <sstream>

#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/shapes/corner_moves.h"
#include "tools/shapes/corner_nudges.h"
#include "tools/shapes/corner_origins.h"
#include "tools/shapes/curve_mends.h"
#include "tools/shapes/lone_sides.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_mesh.h"
#include "tools/shapes/shape_text.h"
#include "tools/shapes/shape_union.h"
#include "tools/shapes/side_bends.h"
#include "tools/shapes/svg_reader.h"
#include "tools/shapes/thin_patches.h"

namespace {

constexpr int kMaxThinReports = 10;
// Triangles weighed for vanishing, at most, in explaining a refusal.
constexpr size_t kLoneSideWork = 400000;
// A refused solid's sides whose whole points lie further apart than this
// are bent into parts no longer, in file units (400 world).
constexpr double kBendPiece = 400 / kFileToWorld;
// Such sides weighed for bending, and the triangles the polygons at fault
// may take meshed again, at most, in one compile: a hostile outline of long
// sides costs little more than before.
constexpr size_t kBendSides = 256;
constexpr size_t kBendTriangles = 1000;
// Sides this long (in file units: 36 to 50 world; moved, one a little under
// 40 passes it) whose inward end may move to lengthen them, and the corners
// weighed for it per compile.
constexpr double kShortSide = 36 / kFileToWorld;
constexpr double kLongestMovedSide = 50 / kFileToWorld;
constexpr size_t kMoveCorners = 256;
// The reaches tried, squared, in file units: up to two whole points on, on
// the corners at fault and then on all; then further, on all at once. A
// riser of 40 beside a 90° corner and a tread of 84 needs to become 46
// (see corner_moves.cpp), and rounding a drawn 40 can leave 39.
constexpr int64_t kNearReach[] = {2, 5, 8};
constexpr int64_t kFarReach[] = {13, 18, 25, 32};
// The triangles meshed, at most, in trying them.
constexpr size_t kMoveTriangles = 2000;

// Corners weighed, times the size of their polygon, in mending where
// curves meet: a few thousand corners of a drawing's usual size.
constexpr size_t kMendWork = 4000000;
// Triangles meshed, at most, in moving corners where a little too thin: a
// hundred meshes of a small polygon, fewer of a large one (a mesh of a
// polygon left thin takes up to a hundredth of a second).
constexpr size_t kNudgeTriangles = 4000;
// Of those, what each try after the first with corners moved may mesh: a
// polygon with holes takes up to a hundredth of a second a triangle.
constexpr size_t kLaterNudgeTriangles = 1000;
// Kept apart for the very last tries, which the others would leave none:
// a share for each of them, in either reading.
constexpr size_t kLastNudgeTriangles = 4000;
// Corners weighed against outline sides, at most, in finding where shapes
// meet.
constexpr size_t kMeetWork = 20000000;
// Triangle pairs weighed, at most, in growing patches round thin
// triangles: most are told apart by their bounds, some tens of
// milliseconds in all.
constexpr size_t kRepatchWork = 20000000;

// The work the bends and moves may yet do in one compile, whichever
// flattening of a drawing they work on.
struct Budget {
    size_t bendSides = kBendSides;
    size_t moveCorners = kMoveCorners;
    size_t moveTriangles = kMoveTriangles;
    size_t mendWork = kMendWork;
    size_t nudgeTriangles = kNudgeTriangles;
    size_t lastNudgeTriangles = kLastNudgeTriangles;
    size_t meetWork = kMeetWork;
    // Triangle pairs weighed in meshing thin triangles' patches again:
    // none at first, so that what compiled before is written as before.
    size_t repatchWork = 0;
    // Meanwhile, such pairs weighed in finding whether any patch would
    // mend, and whether one did: else doing so cannot help.
    size_t probeWork = kRepatchWork;
    bool patchable = false;
};

bool endsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = s[s.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
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
        return at((double(t.c[0]) + t.c[2] + t.c[4]) / 3, (double(t.c[1]) + t.c[3] + t.c[5]) / 3);
    }
    const SourceRegion* at(double x, double y) const {
        if (regions_.size() == 1) return &regions_.front();
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

std::string worldPoint(IPoint p) {
    return "(" + worldNumber(double(p.x) * kFileToWorld) + ", " + worldNumber(double(p.y) * kFileToWorld) + ")";
}

std::string sourcePlace(const std::string& name, const SourceRegion* r, const std::string& kind = "") {
    return name + (r && r->line ? ":" + std::to_string(r->line) : std::string()) + ": " + kind +
           (r ? r->label : std::string("shape"));
}

// Why a refused solid has no mesh at all, where that is so: sides with no
// whole point along them on which no triangle can stay on screen.
std::string loneSideFaults(const std::vector<SolidPolygon>& solid, const RegionFinder& finder, const std::string& name) {
    std::string faults;
    int reported = 0;
    size_t budget = kLoneSideWork;
    for (const SolidPolygon& polygon : solid) {
        std::vector<const Ring*> rings{&polygon.outer};
        for (const Ring& h : polygon.holes) rings.push_back(&h);
        for (const Ring* ring : rings) {
            // The solid on the left of each side.
            const bool forwards = (ringArea(*ring) > 0) == (ring == &polygon.outer);
            for (size_t i = 0; i < ring->size() && reported < kMaxThinReports; ++i) {
                const size_t n = ring->size();
                IPoint before = (*ring)[(i + n - 1) % n], a = (*ring)[i], b = (*ring)[(i + 1) % n], after = (*ring)[(i + 2) % n];
                if (!forwards) std::swap(a, b), std::swap(before, after);
                if (loneSide(polygon, before, a, b, after, budget) != LoneSide::never) continue;
                ++reported;
                // The region holding a point just inside the side's middle.
                const double len = std::sqrt(double(length2(a, b)));
                const double x = (double(a.x) + double(b.x)) / 2 - double(b.y - a.y) / len;
                const double y = (double(a.y) + double(b.y)) / 2 + double(b.x - a.x) / len;
                faults += sourcePlace(name, finder.at(x, y)) + " has a side from " + worldPoint(a) + " to " + worldPoint(b) +
                          " with no whole point along it, and every triangle on it is thin or can vanish while on "
                          "screen: add a corner along it\n";
            }
        }
    }
    return faults;
}

// The mesher splits what can vanish; a part thin by nature can leave such a
// triangle all the same.
bool isFaulty(const FileTriangle& t) { return triangleThickness(t) < kMinThickness || triangleCanVanish(t); }

// The solid's triangles that are thin or can vanish while on screen, a line
// each, up to a few.
std::string solidFaults(const std::vector<FileTriangle>& solid, const RegionFinder& finder, const std::string& name) {
    std::string thin;
    int reported = 0;
    for (const FileTriangle& t : solid) {
        if (reported == kMaxThinReports) break;
        if (!isFaulty(t)) continue;
        const double thickness = triangleThickness(t);
        const bool vanishes = thickness >= kMinThickness;
        ++reported;
        const double x = (double(t.c[0]) + t.c[2] + t.c[4]) / 3 * kFileToWorld;
        const double y = (double(t.c[1]) + t.c[3] + t.c[5]) / 3 * kFileToWorld;
        thin += sourcePlace(name, finder.of(t)) +
                (vanishes ? std::string(" leaves a triangle that can vanish while on screen")
                          : " is " + worldNumber(std::floor(thickness)) + " world units thick") +
                " near (" + worldNumber(x) + ", " + worldNumber(y) + ")\n";
    }
    return thin;
}

// The solid meshed again where bent, the bent polygons in at most limit
// triangles: the triangles of the polygons left as they were are kept.
// False where the bent polygons do not mesh.
bool meshBent(const std::vector<SolidPolygon>& polygons, const std::vector<SolidPolygon>& bent,
              const std::vector<FileTriangle>& solid, const std::vector<size_t>& owners, size_t limit,
              std::vector<FileTriangle>& out) {
    std::vector<SolidPolygon> changed;
    std::vector<bool> isChanged(polygons.size(), false);
    for (size_t i = 0; i < polygons.size(); ++i)
        if (bent[i].outer != polygons[i].outer || bent[i].holes != polygons[i].holes)
            changed.push_back(bent[i]), isChanged[i] = true;
    if (!meshSolid(changed, limit, out).empty()) return false;
    for (size_t i = 0; i < solid.size(); ++i)
        if (!isChanged[owners[i]]) out.push_back(solid[i]);
    std::sort(out.begin(), out.end(), inMeshOrder);
    return true;
}

// Whether polygon alone meshes in at most the bends' limit of triangles,
// none at fault; `limit`, the triangles all such meshes may take, is spent.
bool meshesSound(const SolidPolygon& polygon, size_t& limit) {
    std::vector<FileTriangle> mesh;
    const bool meshed = meshSolid({polygon}, std::min(limit, kBendTriangles), mesh).empty();
    limit -= std::min(limit, meshed ? mesh.size() : limit);
    return meshed && std::none_of(mesh.begin(), mesh.end(), isFaulty);
}

// The polygons at fault meshed again from `start` with their short sides
// lengthened, each polygon on its own, so that one hard stair does not move
// the corners of the rest: the least reach first, the sides at the thin
// triangles of `failed` first, then every one; then the far reaches on
// every one. Returns the moves of the first sound mesh, which goes to out,
// or none.
std::vector<CornerMove> meshMoved(const std::vector<SolidPolygon>& polygons, const std::vector<SolidPolygon>& start,
                                  const std::vector<bool>& faulty, const std::vector<FileTriangle>& failed,
                                  const std::vector<FileTriangle>& solid, const std::vector<size_t>& owners,
                                  const RegionFinder& finder, const std::string& name, Budget& budget,
                                  std::vector<FileTriangle>& out) {
    out.clear();
    std::vector<IPoint> atFault;
    for (const FileTriangle& t : failed)
        if (isFaulty(t))
            for (int k = 0; k < 3; ++k) atFault.push_back({t.c[2 * k], t.c[2 * k + 1]});
    std::sort(atFault.begin(), atFault.end());
    size_t& corners = budget.moveCorners;
    size_t& triangles = budget.moveTriangles;
    const std::vector<IPoint> anywhere;
    struct Round {
        int64_t reach2;
        const std::vector<IPoint>* at;
    };
    std::vector<Round> rounds;
    const std::vector<IPoint>* const places[] = {&atFault, &anywhere};
    for (const std::vector<IPoint>* at : places)
        for (const int64_t reach2 : kNearReach) rounds.push_back({reach2, at});
    for (const int64_t reach2 : kFarReach) rounds.push_back({reach2, &anywhere});
    std::vector<SolidPolygon> moved = start;
    std::vector<CornerMove> made;
    const size_t atFaultCount = size_t(std::count(faulty.begin(), faulty.end(), true));
    for (size_t i = 0; i < start.size(); ++i) {
        // Where several are at fault, the bends may have mended some.
        if (!faulty[i] || (atFaultCount > 1 && meshesSound(start[i], triangles))) continue;
        bool sound = false;
        SolidPolygon last;
        for (const Round& round : rounds) {
            SolidPolygon polygon = start[i];
            std::vector<CornerMove> moves =
                lengthenShortSides(polygon, kShortSide, kLongestMovedSide, round.reach2, *round.at, corners);
            // A wider reach that finds the same places meshes the same.
            if (moves.empty() || (polygon.outer == last.outer && polygon.holes == last.holes)) continue;
            last = polygon;
            if (meshesSound(polygon, triangles)) {
                moved[i] = std::move(polygon);
                made.insert(made.end(), moves.begin(), moves.end());
                sound = true;
                break;
            }
        }
        if (!sound) return {};
    }
    if (made.empty() || !meshBent(polygons, moved, solid, owners, kBendTriangles, out) ||
        !solidFaults(out, finder, name).empty()) {
        out.clear();
        return {};
    }
    return made;
}

std::string moveWarning(const CornerMove& move, const RegionFinder& finder, const std::string& name) {
    const double len = std::sqrt(double(length2(move.a, move.b)));
    char moved[32];
    std::snprintf(moved, sizeof moved, "%.2f", std::sqrt(double(length2(move.b, move.to))) * kFileToWorld);
    return sourcePlace(name, finder.at(double(move.to.x), double(move.to.y)), "warning: ") + " has a side from " + worldPoint(move.a) + " to " +
           worldPoint(move.b) + " only " + worldNumber(len * kFileToWorld) + " world units long: its inner end moved " +
           moved + " world units on, to " + worldPoint(move.to) + ", so that its triangle is thick enough";
}

std::string bendWarning(const SideBend& bend, const RegionFinder& finder, const std::string& name) {
    const double len = std::sqrt(double(length2(bend.a, bend.b)));
    const double x = (double(bend.a.x) + double(bend.b.x)) / 2 - double(bend.b.y - bend.a.y) / len;
    const double y = (double(bend.a.y) + double(bend.b.y)) / 2 + double(bend.b.x - bend.a.x) / len;
    char depth[32];
    std::snprintf(depth, sizeof depth, "%.2f", bend.depth * kFileToWorld);
    const int64_t g = std::gcd(bend.b.x - bend.a.x, bend.b.y - bend.a.y);
    return sourcePlace(name, finder.at(x, y), "warning: ") + " has a side from " + worldPoint(bend.a) + " to " +
           worldPoint(bend.b) +
           (g == 1 ? std::string(" with no whole point along it")
                   : " whose whole points are " + worldNumber(len / double(g) * kFileToWorld) + " world units apart") +
           ": bent in by at most " + depth + " world units at " + std::to_string(bend.at.size()) +
           (bend.at.size() == 1 ? " corner" : " corners") + " along it, so that its triangles stay on screen";
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

namespace {

// Why regions were refused: a side on which no triangle can be sound, the
// polygons at fault, and those that meshed soundly with their triangles.
struct Refusal {
    bool lone = false;
    std::vector<SolidPolygon> atFault;
    std::vector<std::pair<SolidPolygon, std::vector<FileTriangle>>> sound;
    size_t firstFaults = 0;  // triangles at fault in the first mesh, before bends and moves
};

bool samePolygon(const SolidPolygon& a, const SolidPolygon& b) { return a.outer == b.outer && a.holes == b.holes; }

// The triangles a refusal meshed soundly for polygon p, or none.
const std::vector<FileTriangle>* soundMesh(const Refusal& r, const SolidPolygon& p) {
    for (const auto& [polygon, triangles] : r.sound)
        if (samePolygon(polygon, p)) return &triangles;
    return nullptr;
}

// The regions meshed into out, which holds the kept triangles so far. The
// polygons that `reuse` meshed soundly before keep their triangles, and
// the rest must do better at first than there, or are refused at once.
std::string meshRegions(const std::vector<SourceRegion>& regions, std::vector<SolidPolygon> united, const std::string& name,
                        bool checked, CompiledLevel& out, Budget& budget, Refusal& refusal, const Refusal* reuse = nullptr) {
    refusal = Refusal{};
    if (out.triangles.size() > size_t(kMaxTriangles))
        return name + ": more than " + std::to_string(kMaxTriangles) + " triangles";
    if (regions.empty()) return "";
    std::vector<SolidPolygon> polygons;
    std::vector<FileTriangle> reused;
    for (SolidPolygon& p : united) {
        if (const std::vector<FileTriangle>* known = reuse ? soundMesh(*reuse, p) : nullptr) {
            reused.insert(reused.end(), known->begin(), known->end());
            refusal.sound.push_back({p, *known});  // for a try after this one
        } else
            polygons.push_back(std::move(p));
    }
    // Meshing goes a little past the limit, so that a refusal can mostly
    // give the count, but not far: meshing costs time.
    const size_t room = size_t(kMaxTriangles) + 500 - std::min(reused.size(), size_t(kMaxTriangles));
    std::vector<FileTriangle> solid;
    std::vector<size_t> owners;
    const std::string fault = meshSolid(polygons, room, solid, &owners);
    if (fault.empty() && budget.repatchWork > 0) repatchThin(solid, owners, budget.repatchWork);
    // Refused before patching: whether patching would have mended some.
    const auto probe = [&] {
        if (budget.patchable || budget.probeWork == 0 || budget.repatchWork > 0) return;
        std::vector<FileTriangle> patched = solid;
        std::vector<size_t> patchedOwners = owners;
        budget.patchable = repatchThin(patched, patchedOwners, budget.probeWork) > 0;
    };
    // A mesh past the limit may be a long side's triangle split without end.
    const bool overflow = fault.rfind("more than ", 0) == 0;
    if (!fault.empty() && !overflow) {
        refusal.firstFaults = SIZE_MAX;  // any mesh at all does better
        return name + ": " + fault;
    }
    refusal.firstFaults = size_t(std::count_if(solid.begin(), solid.end(), isFaulty));
    if (reuse && (overflow || refusal.firstFaults >= reuse->firstFaults)) {
        if (!overflow) probe();
        return name + ": no better";
    }
    const RegionFinder finder(regions);
    std::string thin = overflow ? name + ": " + fault + "\n" : checked ? solidFaults(solid, finder, name) : "";
    if (!thin.empty()) {
        // A stretch of side with no whole point can only be one
        // triangle's edge: the polygons at fault are meshed again with
        // their long such stretches bent a little inwards, and what is
        // still wrong then is the fault.
        std::vector<bool> faulty(polygons.size(), overflow);
        for (size_t i = 0; i < solid.size(); ++i)
            if (!faulty[owners[i]] && isFaulty(solid[i])) faulty[owners[i]] = true;
        std::vector<SolidPolygon> bent = polygons;
        std::vector<SideBend> bends;
        size_t& sides = budget.bendSides;
        for (size_t i = 0; i < bent.size(); ++i)
            if (faulty[i])
                for (SideBend& bend : bendSparseSides(bent[i], kBendPiece, sides)) bends.push_back(std::move(bend));
        std::vector<FileTriangle> again;
        const bool rebent = !bends.empty() && (overflow ? meshSolid(bent, room, again).empty()
                                                         : meshBent(polygons, bent, solid, owners, kBendTriangles, again));
        if (rebent) thin = checked ? solidFaults(again, finder, name) : "";
        // Still thin: short sides at the thin triangles lengthened, each by
        // moving its inward end a few whole points on into the solid.
        std::vector<CornerMove> moves;
        if (!thin.empty() && !overflow) {
            std::vector<FileTriangle> moved;
            moves = meshMoved(polygons, rebent ? bent : polygons, faulty, rebent ? again : solid, solid, owners, finder,
                              name, budget, moved);
            if (!moves.empty()) {
                thin.clear();
                again = std::move(moved);
                if (!rebent) bends.clear();
            }
        }
        if (thin.empty()) {
            solid = std::move(again);
            for (const SideBend& bend : bends) {
                out.warnings.push_back(bendWarning(bend, finder, name));
                out.bentArea2 += bend.cut2;
            }
            for (const CornerMove& move : moves) {
                out.warnings.push_back(moveWarning(move, finder, name));
                out.bentArea2 += move.cut2;
            }
        } else {
            // Where a side makes any mesh impossible, that alone is the
            // fault to mend: the thin triangles are its consequence.
            if (std::string faults = loneSideFaults(rebent ? bent : polygons, finder, name); !faults.empty())
                thin = faults, refusal.lone = true;
            thin.pop_back();
            for (size_t i = 0; i < polygons.size(); ++i) {
                if (faulty[i]) {
                    refusal.atFault.push_back(polygons[i]);
                    continue;
                }
                std::vector<FileTriangle> own;
                for (size_t t = 0; t < solid.size(); ++t)
                    if (owners[t] == i) own.push_back(solid[t]);
                refusal.sound.push_back({polygons[i], std::move(own)});
            }
            if (!overflow) probe();
            return thin;
        }
    }
    // A mend that leaves an outline crossing itself meshes into triangles
    // that overlap: refused here, so that a later try may do better.
    if (const std::vector<std::pair<int, int>> overlaps = checked ? overlappingTriangles(solid)
                                                                  : std::vector<std::pair<int, int>>{};
        !overlaps.empty()) {
        const FileTriangle& t = solid[size_t(overlaps.front().first)];
        return sourcePlace(name, finder.of(t)) + " leaves triangles that overlap near " +
               worldPoint({(int64_t(t.c[0]) + t.c[2] + t.c[4]) / 3, (int64_t(t.c[1]) + t.c[3] + t.c[5]) / 3});
    }
    if (!reused.empty()) {
        solid.insert(solid.end(), reused.begin(), reused.end());
        std::sort(solid.begin(), solid.end(), inMeshOrder);
    }
    for (const FileTriangle& t : solid) {
        const SourceRegion* r = finder.of(t);
        out.triangles.push_back(t);
        out.lines.push_back(r ? r->line : 0);
    }
    if (out.triangles.size() > size_t(kMaxTriangles))
        return name + ": " + std::to_string(out.triangles.size()) + " triangles, at most " + std::to_string(kMaxTriangles);
    return "";
}

// The drawing read into its regions, with its kept triangles and warnings.
std::string readDrawing(const std::string& bytes, const std::string& name, Flattening flattening,
                        std::vector<SourceRegion>& regions, CompiledLevel& out) {
    out = CompiledLevel{};
    KeptTriangles kept;
    if (std::string e = readSvg(bytes, name, regions, out.warnings, &kept, flattening); !e.empty()) return e;
    out.triangles = std::move(kept.triangles);
    out.lines = std::move(kept.lines);
    return "";
}

// The region a corner of the solid came from: the first with a curve
// through it, else the first that holds it, else the first with an outline
// nearest to it (a corner where outlines cross lies on two, rounded).
const SourceRegion* regionOf(const std::vector<SourceRegion>& regions, IPoint at) {
    for (const SourceRegion& r : regions)
        if (std::binary_search(r.onCurve.begin(), r.onCurve.end(), at)) return &r;
    for (const SourceRegion& r : regions)
        if (regionHolds(r, double(at.x), double(at.y))) return &r;
    const SourceRegion* nearest = regions.empty() ? nullptr : &regions.front();
    double best = 1e300;
    for (const SourceRegion& r : regions)
        for (const Ring& ring : r.outlines)
            for (size_t i = 0; i < ring.size(); ++i) {
                const IPoint a = ring[i], b = ring[(i + 1) % ring.size()];
                const double ex = double(b.x - a.x), ey = double(b.y - a.y);
                const double px = double(at.x - a.x), py = double(at.y - a.y);
                const double along = ex || ey ? std::clamp((px * ex + py * ey) / (ex * ex + ey * ey), 0.0, 1.0) : 0.0;
                const double d2 = (px - along * ex) * (px - along * ex) + (py - along * ey) * (py - along * ey);
                if (d2 < best) best = d2, nearest = &r;
            }
    return nearest;
}

constexpr const char* kWhereShapesMeet = " where it meets other shapes";
constexpr const char* kOffDrawnCorners = " on its curves or where it meets other shapes";

// Which corners a mend may take out or move, and how its warnings say
// where they were.
struct MendScope {
    std::vector<IPoint> fixed;  // sorted: the corners kept as drawn
    const char* sidesAt;        // where the short sides were
    const char* cornersAt;      // where the moved corners were
    MendLimits limits;          // how far a mend may go
    bool partHairs;             // shapes that all but touch once rounded are parted, not joined
};

// At the very last, a step up to 40 world units high where shapes meet may
// go: its riser and the side above it hold no triangle thick enough where
// the meshing cannot extend the riser into the solid.
constexpr double kLastMendDeepest = 40 / kFileToWorld;

// The corners of the solid's polygons other than `own`, sorted: a change
// to `own` must leave them outside it.
std::vector<IPoint> cornersElsewhere(const std::vector<SolidPolygon>& solid, const SolidPolygon& own) {
    std::vector<IPoint> corners;
    for (const SolidPolygon& p : solid)
        if (&p != &own) anyCorner(p, [&](IPoint q) { return corners.push_back(q), false; });
    std::sort(corners.begin(), corners.end());
    return corners;
}

// The sides of the solid's polygons other than `own`.
SideIndex sidesElsewhere(const std::vector<SolidPolygon>& solid, const SolidPolygon& own) {
    std::vector<const Ring*> rings;
    for (const SolidPolygon& p : solid)
        if (&p != &own) {
            rings.push_back(&p.outer);
            for (const Ring& h : p.holes) rings.push_back(&h);
        }
    return SideIndex(rings);
}

// Some ring of the polygon passes twice through one point.
bool touchesItself(const SolidPolygon& p) {
    const auto twice = [](Ring r) {
        std::sort(r.begin(), r.end());
        return std::adjacent_find(r.begin(), r.end()) != r.end();
    };
    return twice(p.outer) || std::any_of(p.holes.begin(), p.holes.end(), twice);
}

// Twice the polygon's area of solid.
__int128 solidArea2(const SolidPolygon& p) {
    const auto magnitude = [](__int128 v) { return v < 0 ? -v : v; };
    __int128 area = magnitude(ringArea(p.outer));
    for (const Ring& h : p.holes) area -= magnitude(ringArea(h));
    return area;
}

// The polygons of the solid that were not sound before with the corners
// of short sides where curves meet taken out, a warning for each polygon
// so mended; false where none was.
bool mendWhereCurvesMeet(const std::vector<SourceRegion>& regions, const MendScope& scope, const Refusal& refusal,
                         const std::string& name, std::vector<SolidPolygon>& solid, CompiledLevel& out, Budget& budget) {
    const std::vector<IPoint>& fixed = scope.fixed;
    bool mended = false;
    for (SolidPolygon& p : solid) {
        if (soundMesh(refusal, p)) continue;
        const std::vector<CurveMend> mends =
            mendCurveSides(p, fixed, cornersElsewhere(solid, p), sidesElsewhere(solid, p), scope.limits, budget.mendWork);
        if (mends.empty()) continue;
        mended = true;
        double deepest = 0;
        size_t gaps = 0, straight = 0;
        for (const CurveMend& m : mends)
            deepest = std::max(deepest, m.depth), out.bentArea2 += m.cut2, gaps += m.gap, straight += m.straight;
        const size_t sides = mends.size() - gaps - straight;
        const IPoint at = mends.front().at;
        const SourceRegion* region = regionOf(regions, at);
        char depth[32];
        std::snprintf(depth, sizeof depth, "%.2f", deepest * kFileToWorld);
        std::vector<std::string> found;
        if (sides) found.push_back(std::to_string(sides) + (sides == 1 ? " short side" : " short sides"));
        if (straight)
            found.push_back(std::to_string(straight) + (straight == 1 ? " corner" : " corners") + " all but in line");
        if (gaps)
            found.push_back(std::to_string(gaps) + (gaps == 1 ? " gap" : " gaps") + " under " +
                            (scope.limits.smallHoles ? "80" : "50") + " world units across");
        std::string listed;
        for (size_t i = 0; i < found.size(); ++i)
            listed += (i == 0 ? "" : i + 1 == found.size() ? " and " : ", ") + found[i];
        out.warnings.push_back(sourcePlace(name, region, "warning: ") + " has " + listed + scope.sidesAt +
                               ", first near " + worldPoint(at) + ": " + (sides || straight ? "corners taken out" : "") +
                               (sides + straight && gaps ? " and " : "") +
                               (gaps ? (gaps == 1 ? "gap filled" : "gaps filled") : "") +
                               ", moving the outline by at most " + depth +
                               " world units, so that its triangles are thick enough");
    }
    return mended;
}

// The polygons of the solid that were not sound before with corners off
// the author's own moved until they mesh soundly, a warning for each;
// false where some polygon at fault could not be so mended.
bool nudgeWhereThin(const std::vector<SourceRegion>& regions, const MendScope& scope, const Refusal& refusal,
                    const std::string& name, std::vector<SolidPolygon>& solid, CompiledLevel& out, Budget& budget) {
    const std::vector<IPoint>& fixed = scope.fixed;
    std::vector<std::string> warnings;
    for (SolidPolygon& p : solid) {
        if (soundMesh(refusal, p)) continue;
        const __int128 before = solidArea2(p);
        std::vector<CornerNudge> nudges;
        if (!nudgeThinCorners(p, fixed, cornersElsewhere(solid, p), sidesElsewhere(solid, p), budget.nudgeTriangles,
                              nudges)) return false;
        if (nudges.empty()) continue;
        out.bentArea2 += int64_t(before - solidArea2(p));
        double farthest = 0;
        for (const CornerNudge& n : nudges) farthest = std::max(farthest, std::sqrt(double(length2(n.from, n.to))));
        const IPoint at = nudges.front().from;
        char moved[32];
        std::snprintf(moved, sizeof moved, "%.2f", farthest * kFileToWorld);
        warnings.push_back(sourcePlace(name, regionOf(regions, at), "warning: ") + " has " +
                           std::to_string(nudges.size()) + (nudges.size() == 1 ? " corner" : " corners") +
                           scope.cornersAt + ", first near " + worldPoint(at) + ", moved by at most " + moved +
                           " world units, so that its triangles are thick enough");
    }
    if (warnings.empty()) return false;
    out.warnings.insert(out.warnings.end(), warnings.begin(), warnings.end());
    return true;
}

// The solid mended where curves meet, meshed, and where still refused,
// with corners moved where a little too thin, meshed again: true, with the
// level, where that compiles. The polygons `start` meshed soundly keep
// their triangles.
bool compileMended(const std::vector<SourceRegion>& regions, const MendScope& scope, std::vector<SolidPolygon> solid,
                   const Refusal& start, const std::string& name, Budget& budget, CompiledLevel& level) {
    const Refusal* last = &start;
    const bool mended = mendWhereCurvesMeet(regions, scope, *last, name, solid, level, budget);
    level.mended = mended;
    Refusal mendedRefusal;
    if (meshRegions(regions, solid, name, true, level, budget, mendedRefusal, last).empty()) return true;
    if (mendedRefusal.lone) return false;
    if (!mendedRefusal.atFault.empty()) last = &mendedRefusal;
    if (!nudgeWhereThin(regions, scope, *last, name, solid, level, budget)) return false;
    Refusal nudgedRefusal;
    if (!meshRegions(regions, std::move(solid), name, true, level, budget, nudgedRefusal, last).empty()) return false;
    level.nudged = true;
    return true;
}

// The last tries at a refused source, each on the regions and kept
// triangles `fresh` gives: mended where curves meet, with corners off the
// author's own moved where a little too thin; then so again where shapes
// meet, one's corner a step beside the other's side leaving sides a few
// units long between two corners the author drew, with such corners free
// to go or move as well; last with any corner free, since a side shorter
// than 40 between two outward corners holds no triangle thick enough,
// however it is meshed; and last of these, also cutting off a corner
// where another polygon touches it (two drawn a hair apart touch once
// rounded) and down to a ring of three (a frame's hole whose tip is a
// short side). Tries 0 to 3 are these; try 4, run apart where every
// reading's other tries refused (so that what compiled before is written
// as before), is the last again filling holes under 80 across too (no
// triangle around one is thick enough where its corners meet the sides
// near); try 5, after that, is try 4 again with shapes that all but touch
// once rounded parted instead of joined at a neck; tries 6 and 7 are 4
// and 5 again also filling gaps pinched off an outline where it touches
// itself (a slit where chords almost meet); try 8 is 4 again also taking
// out corners all but in line with their neighbours (a kink a cut leaves
// where it joins two sides). Runs tries first to
// end - 1; true, with out, at the first that compiles. The polygons the
// first try (refusal) meshed soundly keep their triangles.
constexpr size_t kTries = 4, kHoleTry = 4, kPartedTry = 5, kPinchedTry = 6, kPinchedPartedTry = 7, kStraightTry = 8;
template <class Fresh>
bool compileMendedTries(Fresh fresh, const Refusal& refusal, const std::string& name, Budget& budget, CompiledLevel& out,
                        size_t first = 0, size_t end = kTries) {
    std::vector<SourceRegion> regions;
    CompiledLevel level;
    if (!fresh(regions, level)) return false;
    Refusal start;
    start.sound = refusal.sound;
    start.firstFaults = SIZE_MAX;
    const auto scopeOf = [&](size_t k) -> MendScope {
        switch (k) {
            case 0:
                return {drawnCorners(regions), kWhereShapesMeet, kOffDrawnCorners, {kMendDeepest, false, false, false, false},
                        false};
            case 1:
                return {cornersAwayFromOthers(regions, budget.meetWork), kWhereShapesMeet, kOffDrawnCorners,
                        {kMendDeepest, false, false, false, false}, false};
            case 2: return {{}, "", "", {kLastMendDeepest, false, false, false, false}, false};
            case 3: return {{}, "", "", {kLastMendDeepest, true, false, false, false}, false};
            case kHoleTry: return {{}, "", "", {kLastMendDeepest, true, true, false, false}, false};
            case kPartedTry: return {{}, "", "", {kLastMendDeepest, true, true, false, false}, true};
            case kPinchedTry: return {{}, "", "", {kLastMendDeepest, true, true, true, false}, false};
            case kPinchedPartedTry: return {{}, "", "", {kLastMendDeepest, true, true, true, false}, true};
            default: return {{}, "", "", {kLastMendDeepest, true, true, false, true}, false};
        }
    };
    MendScope previous{};
    for (size_t k = first; k < end; ++k) {
        const MendScope scope = scopeOf(k);
        // Nothing more may move: the same try again.
        if (k > first && scope.fixed == previous.fixed && scope.limits == previous.limits &&
            scope.partHairs == previous.partHairs)
            continue;
        previous = scope;
        if (k > first && !fresh(regions, level)) return false;
        std::vector<SolidPolygon> solid = uniteRegions(regions);
        if (scope.limits.pinched && std::none_of(solid.begin(), solid.end(), touchesItself)) continue;
        if (scope.partHairs) {
            std::vector<size_t> parted;
            std::vector<SolidPolygon> apart = uniteRegionsParted(regions, parted);
            if (parted.empty()) continue;
            for (const SolidPolygon& p : solid) level.bentArea2 += int64_t(solidArea2(p));
            for (const SolidPolygon& p : apart) level.bentArea2 -= int64_t(solidArea2(p));
            for (size_t r : parted)
                level.warnings.push_back(sourcePlace(name, &regions[r], "warning: ") +
                                         " all but touches another shape once rounded: parted from it by "
                                         "three world units, so that the two do not join at a neck");
            solid = std::move(apart);
        }
        // A later try may move corners only within a share of what is
        // left; the very last tries, of what is kept for them.
        const size_t kept = budget.nudgeTriangles;
        size_t& pool = k >= kHoleTry ? budget.lastNudgeTriangles : budget.nudgeTriangles;
        const size_t left = pool;
        const size_t share = k > 0 ? std::min(left, kLaterNudgeTriangles) : left;
        budget.nudgeTriangles = share;
        const bool compiled = compileMended(regions, scope, std::move(solid), start, name, budget, level);
        const size_t spent = share - budget.nudgeTriangles;
        budget.nudgeTriangles = kept;
        pool = left - spent;
        if (compiled) {
            out = std::move(level);
            return true;
        }
    }
    return false;
}

}  // namespace

namespace {

// The source compiled within the budget, which holds, once refused,
// whether meshing patches again could help.
std::string compileSource(const std::string& bytes, const std::string& name, bool checked, Budget& budget,
                          CompiledLevel& out) {
    std::vector<SourceRegion> regions;
    if (!isSvgSource(bytes, name)) {
        out = CompiledLevel{};
        std::istringstream in(bytes);
        ShapeText text;
        if (std::string e = parseShapeText(in, name, text); !e.empty()) return e;
        out.triangles = text.triangles.triangles;
        out.lines = text.triangles.lines;
        Refusal refusal;
        const std::string fault = meshRegions(text.shapes, uniteRegions(text.shapes), name, checked, out, budget, refusal);
        if (fault.empty() || !checked || refusal.lone) return fault;
        // Refused: mended where the shapes meet, as a drawing's last tries.
        const auto asWritten = [&](std::vector<SourceRegion>& regions, CompiledLevel& level) {
            regions = text.shapes;
            level = CompiledLevel{};
            level.triangles = text.triangles.triangles;
            level.lines = text.triangles.lines;
            return true;
        };
        return compileMendedTries(asWritten, refusal, name, budget, out) ||
                       compileMendedTries(asWritten, refusal, name, budget, out, kHoleTry, kStraightTry + 1)
                   ? ""
                   : fault;
    }
    if (std::string e = readDrawing(bytes, name, Flattening::first, regions, out); !e.empty()) return e;
    Refusal refusal;
    const std::string fault = meshRegions(regions, uniteRegions(regions), name, checked, out, budget, refusal);
    if (fault.empty() || !checked || refusal.lone) return fault;
    // Refused: the curves are flattened again into chords no shorter than
    // they allow, short sides on them joined, and that is meshed instead
    // where it is sound. A drawing that compiles as it is flattened first
    // is written as before; one refused for a long straight side, or where
    // a polygon at fault has no curve to flatten otherwise, is not helped.
    std::vector<SourceRegion> even;
    CompiledLevel again;
    if (!readDrawing(bytes, name, Flattening::even, even, again).empty()) return fault;
    std::vector<SolidPolygon> evenSolid = uniteRegions(even);
    const Refusal* last = &refusal;
    Refusal evenRefusal;
    if (std::none_of(refusal.atFault.begin(), refusal.atFault.end(), [&](const SolidPolygon& p) {
            return std::any_of(evenSolid.begin(), evenSolid.end(), [&](const SolidPolygon& q) { return samePolygon(p, q); });
        })) {
        CompiledLevel trial = again;
        if (meshRegions(even, evenSolid, name, checked, trial, budget, evenRefusal, &refusal).empty()) {
            out = std::move(trial);
            out.curves = Flattening::even;
            return "";
        }
        if (evenRefusal.lone) return fault;
        // Refused in full, not given up at its first mesh.
        if (!evenRefusal.atFault.empty()) last = &evenRefusal;
    }
    // Still refused: where the curves of two elements meet, the corners of
    // short sides that neither drew are taken out, and that is meshed.
    const MendScope curvesMeet{
        drawnCorners(even), kWhereShapesMeet, kOffDrawnCorners, {kMendDeepest, false, false, false, false}, false};
    if (mendWhereCurvesMeet(even, curvesMeet, *last, name, evenSolid, again, budget)) {
        Refusal mendedRefusal;
        if (meshRegions(even, std::move(evenSolid), name, checked, again, budget, mendedRefusal, last).empty()) {
            out = std::move(again);
            out.curves = Flattening::even;
            out.mended = true;
            return "";
        }
        if (mendedRefusal.lone) return fault;
    }
    // Still refused, at last: each smooth run of curve is cut into equal
    // chords along it (a small circle is then a pentagon, not a square),
    // mended where curves meet, and where a little too thin, corners off
    // the author's own are moved. Polygons with no curve mesh as at first.
    const auto balanced = [&](std::vector<SourceRegion>& regions, CompiledLevel& level) {
        return readDrawing(bytes, name, Flattening::balanced, regions, level).empty();
    };
    if (compileMendedTries(balanced, refusal, name, budget, out)) {
        out.curves = Flattening::balanced;
        return "";
    }
    // Still refused: read once more with the chords and joins of each curve
    // fitted to what other elements leave of it (a round end's chords, and
    // its short straight side joined to a point, can cut into a joint or
    // reach into a shape drawn just clear of it, and leave a neck there);
    // the same tries again, where that changed anything.
    std::vector<SourceRegion> balancedRegions, apartRegions;
    CompiledLevel unused;
    const bool apartDiffers =
        readDrawing(bytes, name, Flattening::balanced, balancedRegions, unused).empty() &&
        readDrawing(bytes, name, Flattening::apart, apartRegions, unused).empty() &&
        !std::equal(balancedRegions.begin(), balancedRegions.end(), apartRegions.begin(), apartRegions.end(),
                    [](const SourceRegion& a, const SourceRegion& b) { return a.outlines == b.outlines; });
    const auto apart = [&](std::vector<SourceRegion>& regions, CompiledLevel& level) {
        return readDrawing(bytes, name, Flattening::apart, regions, level).empty();
    };
    if (apartDiffers && compileMendedTries(apart, refusal, name, budget, out)) {
        out.curves = Flattening::apart;
        return "";
    }
    // At the very last, each reading again with small holes filled, then
    // with shapes that overlap by a hair parted, pinched gaps filled, and
    // kinks straightened.
    for (const size_t k : {kHoleTry, kPartedTry, kPinchedTry, kPinchedPartedTry, kStraightTry}) {
        if (compileMendedTries(balanced, refusal, name, budget, out, k, k + 1)) {
            out.curves = Flattening::balanced;
            return "";
        }
        if (apartDiffers && compileMendedTries(apart, refusal, name, budget, out, k, k + 1)) {
            out.curves = Flattening::apart;
            return "";
        }
    }
    return fault;
}

}  // namespace

std::string compileLevelSource(const std::string& bytes, const std::string& name, bool checked, CompiledLevel& out) {
    Budget budget;  // shared by both flattenings
    const std::string fault = compileSource(bytes, name, checked, budget, out);
    if (fault.empty() || !checked || !budget.patchable) return fault;
    // Refused, where some mesh had a thin triangle whose neighbours hold
    // a sound mesh of their own: every try again, now meshing those
    // patches again. Not before, so that what compiled before is written
    // as before.
    CompiledLevel again;
    Budget patching;
    patching.repatchWork = kRepatchWork;
    if (!compileSource(bytes, name, checked, patching, again).empty()) return fault;
    out = std::move(again);
    return "";
}

std::string compileLevel(const std::string& bytes, const std::string& name, bool checked, CompiledLevel& out) {
    std::string fault = compileLevelSource(bytes, name, checked, out);
    if (!fault.empty() || !checked) return fault;
    for (const LevelProblem& p : checkLevel(out.triangles)) fault += formatProblem(p, name, &out.lines) + '\n';
    if (!fault.empty()) fault.pop_back();
    return fault;
}

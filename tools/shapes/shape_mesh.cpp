// The meshing pipeline over each polygon of the solid. Where a triangle
// comes out thin, a short edge of it faces a long stretch of outline with
// no corner across from it: a whole point is added to that outline there,
// opposite the short edge, and the polygon is meshed again.
#include "tools/shapes/shape_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "tools/levels/level_check.h"
#include "tools/shapes/centre_fan.h"
#include "tools/shapes/corner_leans.h"
#include "tools/shapes/ear_clip.h"
#include "tools/shapes/mesh_refine.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/thickest_triangulation.h"

namespace {

constexpr int kRounds = 6;
constexpr double kNearCorner = 30.0;  // file units a new point keeps from a corner
// Props elsewhere are tried on outlines of at most so many triangles, and
// may weigh so many triangles in all in moving corners.
constexpr size_t kVariantTriangles = 60;
constexpr size_t kVariantWork = 600000;
// Sides leaned through a corner, at most: so many a polygon, so many in all.
constexpr size_t kLeansTried = 2;
constexpr size_t kLeansPerSolid = 64;

// Adds to the pieces a whole point of the outline across from the shortest
// edge of triangle t, along that edge's inward normal. False when there is
// none worth adding.
bool addPointAcross(const MeshTriangle& t, std::vector<Ring>& pieces) {
    int shortest = 0;
    double best = 1e300;
    for (int j = 0; j < 3; ++j) {
        const IPoint a = t.v[j], b = t.v[(j + 1) % 3];
        const double dx = double(b.x - a.x), dy = double(b.y - a.y), l = std::sqrt(dx * dx + dy * dy);
        if (l < best) best = l, shortest = j;
    }
    const IPoint a = t.v[shortest], b = t.v[(shortest + 1) % 3];
    const double mx = (double(a.x) + double(b.x)) / 2, my = (double(a.y) + double(b.y)) / 2;
    const double nx = -double(b.y - a.y), ny = double(b.x - a.x);
    RayHit hit;
    for (size_t r = 0; r < pieces.size(); ++r) castRay(pieces[r], r, mx, my, nx, ny, hit);
    if (hit.t == 1e300) return false;
    Ring& r = pieces[hit.ring];
    const size_t edge = hit.edge;
    const IPoint p = r[edge], q = r[(edge + 1) % r.size()];
    const int64_t g = std::gcd(q.x - p.x, q.y - p.y);
    if (g < 2) return false;
    const int64_t k = std::min(g - 1, std::max<int64_t>(1, int64_t(std::llround(hit.u * double(g)))));
    const IPoint m{p.x + (q.x - p.x) / g * k, p.y + (q.y - p.y) / g * k};
    const double ex = double(q.x - p.x), ey = double(q.y - p.y), len = std::sqrt(ex * ex + ey * ey);
    const double along = len * double(k) / double(g);
    if (along < kNearCorner || len - along < kNearCorner) return false;
    r.insert(r.begin() + long(edge) + 1, m);
    return true;
}

size_t thinCount(const std::vector<MeshTriangle>& mesh) {
    size_t thin = 0;
    for (const MeshTriangle& t : mesh) thin += meshThickness(t) < kMinThickness;
    return thin;
}

// How pieces are triangulated and refined.
struct Meshing {
    bool splitFlat = false;  // refineMesh's
    // Each small piece triangulated for its thinnest triangle rather than
    // by clipping ears, its diagonals then kept unless a flip thickens both.
    bool thickest = false;
    bool onEdges = false;  // refineMesh's
    // Each round piece fanned from its middle where that is sound, its
    // diagonals then kept as with thickest.
    bool fan = false;
};

// Meshes the pieces of a polygon; `mesh` then holds its triangles.
std::string meshWithPieces(std::vector<Ring> pieces, size_t limit, Meshing how, std::vector<MeshTriangle>& mesh,
                           RefineCounts* counts = nullptr) {
    // A piece of n corners makes n - 2 triangles at least: a long outline
    // divided for the screen is refused before the work of meshing it.
    size_t corners = 0;
    for (const Ring& piece : pieces) corners += piece.size() > 2 ? piece.size() - 2 : 0;
    if (corners > limit) return "more than " + std::to_string(limit) + " triangles";
    size_t lastThin = SIZE_MAX;
    for (int round = 0;; ++round) {
        mesh.clear();
        for (const Ring& piece : pieces) {
            if (!(how.fan && fanFromCentre(piece, mesh)) && !(how.thickest && triangulateThickest(piece, mesh)) &&
                !clipEars(piece, mesh)) {
                const IPoint p = piece.front();
                return "cannot mesh the outline near (" + std::to_string(std::llround(double(p.x) * kFileToWorld)) +
                       ", " + std::to_string(std::llround(double(p.y) * kFileToWorld)) + ")";
            }
            if (mesh.size() > limit) return "more than " + std::to_string(limit) + " triangles";
        }
        const bool delaunay = !how.thickest && !how.fan;
        if (std::string e = refineMesh(mesh, limit, how.splitFlat, delaunay, how.onEdges, counts); !e.empty()) return e;
        // Another round only while it helps: a part thin by nature stays so.
        const size_t thin = thinCount(mesh);
        if (round == kRounds || thin == 0 || thin >= lastThin) break;
        lastThin = thin;
        bool added = false;
        for (const MeshTriangle& t : mesh)
            if (meshThickness(t) < kMinThickness && addPointAcross(t, pieces)) added = true;
        if (!added) break;
    }
    return "";
}

std::string meshPolygon(const SolidPolygon& polygon, size_t limit, std::vector<MeshTriangle>& out, size_t* leans);

// A thin triangle on a long side of the outline whose third corner is a
// reflex corner near it, leaned through that corner: the side's triangle
// and the two pieces of the rest, each meshed on its own without leaning.
// Replaces mesh where that leaves fewer thin triangles; `leans` counts the
// leans that may yet be tried, and is spent.
void leanThroughCorners(const SolidPolygon& polygon, size_t limit, size_t& leans, std::vector<MeshTriangle>& mesh) {
    Ring ring = polygon.outer;
    if (ringArea(ring) < 0) std::reverse(ring.begin(), ring.end());
    size_t tried = 0;
    const std::vector<MeshTriangle> first = mesh;
    for (const MeshTriangle& t : first) {
        if (meshThickness(t) >= kMinThickness) continue;
        for (int j = 0; j < 3; ++j) {
            // Edge u-w along one side of the outline (where the side was
            // divided, a part of it), third corner a corner of the outline.
            const IPoint u = t.v[j], w = t.v[(j + 1) % 3], third = t.v[(j + 2) % 3];
            if (std::find(ring.begin(), ring.end(), third) == ring.end()) continue;
            Ring divided;
            for (size_t i = 0; i < ring.size() && divided.empty(); ++i) {
                const IPoint a = ring[i], b = ring[(i + 1) % ring.size()];
                if (!liesOn(a, b, u) || !liesOn(a, b, w) || length2(a, u) >= length2(a, w)) continue;
                divided = ring;
                size_t at = i + 1;
                if (u != a) divided.insert(divided.begin() + long(at++), u);
                if (w != b) divided.insert(divided.begin() + long(at), w);
            }
            if (divided.empty()) continue;
            const auto index = [&](IPoint p) { return size_t(std::find(divided.begin(), divided.end(), p) - divided.begin()); };
            for (const CornerLean& lean : leansThrough(divided, index(u), index(third))) {
                if (++tried > kLeansTried || leans == 0) return;
                --leans;
                std::vector<MeshTriangle> again{lean.triangle};
                if (meshPolygon({lean.first, {}}, limit, again, nullptr).empty() &&
                    meshPolygon({lean.second, {}}, limit, again, nullptr).empty() && thinCount(again) < thinCount(mesh)) {
                    mesh.swap(again);
                    return;
                }
            }
        }
    }
}

std::string meshPolygon(const SolidPolygon& polygon, size_t limit, std::vector<MeshTriangle>& out, size_t* leans) {
    std::vector<MeshTriangle> mesh;
    std::vector<Ring> first = meshPieces(polygon, Cuts::straight, false);
    RefineCounts counts;
    if (std::string e = meshWithPieces(first, limit, {}, mesh, &counts); !e.empty()) return e;
    // The other ways only where the first leaves thin triangles, only when
    // they leave fewer, and only when they cut other pieces or refine
    // otherwise: a refused drawing costs a few meshes, not many.
    struct Way {
        Cuts cuts;
        bool splitFlat, prop, thickest;
    };
    const Way others[] = {{Cuts::straight, true, false, false}, {Cuts::straight, true, true, false},
                          {Cuts::bent, true, false, false},     {Cuts::none, true, false, false},
                          {Cuts::straight, true, true, true},    {Cuts::through, true, false, false},
                          {Cuts::through, true, false, true},    {Cuts::turn, true, false, true},
                          {Cuts::lean, true, false, true},      {Cuts::leanPast, true, false, true}};
    struct Tried {
        std::vector<Ring> pieces;
        bool splitFlat, thickest;
        bool operator==(const Tried& o) const {
            return pieces == o.pieces && splitFlat == o.splitFlat && thickest == o.thickest;
        }
    };
    std::vector<Tried> tried{{std::move(first), false, false}};
    for (const Way& way : others) {
        const size_t thin = thinCount(mesh);
        if (thin == 0) break;
        Tried t{meshPieces(polygon, way.cuts, way.prop), way.splitFlat, way.thickest};
        if (std::find(tried.begin(), tried.end(), t) != tried.end()) continue;
        tried.push_back(t);
        std::vector<MeshTriangle> again;
        if (meshWithPieces(std::move(t.pieces), limit, {way.splitFlat, way.thickest}, again, &counts).empty() &&
            thinCount(again) < thin)
            mesh.swap(again);
    }
    // Last, on a small outline, other places for the props' corners, while
    // the triangles weighed in moving corners stay within a budget.
    PropCache cache;
    const size_t weighedBefore = counts.weighed;
    for (size_t variant = 1;
         variant <= kPropVariants && counts.weighed - weighedBefore < kVariantWork && mesh.size() <= kVariantTriangles;
         ++variant) {
        const size_t thin = thinCount(mesh);
        if (thin == 0) break;
        Tried t{meshPiecesWithProps(polygon, variant, cache), true, false};
        if (std::find(tried.begin(), tried.end(), t) != tried.end()) continue;
        tried.push_back(t);
        std::vector<MeshTriangle> again;
        if (meshWithPieces(std::move(t.pieces), limit, {true}, again, &counts).empty() && thinCount(again) < thin)
            mesh.swap(again);
    }
    if (leans && polygon.holes.empty() && mesh.size() <= kVariantTriangles && thinCount(mesh) > 0)
        leanThroughCorners(polygon, limit, *leans, mesh);
    // Last, for round outlines, whose ears are thin: a fan from the middle,
    // and new corners at circle centres even where they fall on diagonals
    // (a regular outline's do). Tried last, so that what meshed before
    // meshes as it did; only on small outlines, as the props' other places;
    // the fan only where some piece takes one, the centres on edges only
    // where some fell on one before.
    const std::vector<Ring>& straight = tried.front().pieces;
    for (const Meshing how : {Meshing{true, false, false, true}, Meshing{true, false, true, false}}) {
        const size_t thin = thinCount(mesh);
        if (thin == 0 || mesh.size() > kVariantTriangles) break;
        if (how.onEdges && counts.onEdge == 0) continue;
        std::vector<MeshTriangle> again;
        const auto fans = [&](const Ring& piece) { return fanFromCentre(piece, again); };
        if (how.fan && std::none_of(straight.begin(), straight.end(), fans)) continue;
        again.clear();
        if (meshWithPieces(straight, limit, how, again).empty() && thinCount(again) < thin) mesh.swap(again);
    }
    out.insert(out.end(), mesh.begin(), mesh.end());
    return out.size() > limit ? "more than " + std::to_string(limit) + " triangles" : "";
}

}  // namespace

std::string meshSolid(const std::vector<SolidPolygon>& solid, size_t limit, std::vector<FileTriangle>& out,
                      std::vector<size_t>* owners) {
    // Every corner of the solid is a corner of some triangle: more than
    // three corners a triangle cannot fit, and would only cost time.
    size_t corners = 0;
    for (const SolidPolygon& polygon : solid) {
        corners += polygon.outer.size();
        for (const Ring& h : polygon.holes) corners += h.size();
    }
    if (corners > 3 * limit)
        return "more than " + std::to_string(limit) + " triangles (the outlines have " + std::to_string(corners) + " corners)";
    std::vector<MeshTriangle> mesh;
    std::vector<size_t> from;
    size_t leans = kLeansPerSolid;
    for (size_t i = 0; i < solid.size(); ++i) {
        if (std::string e = meshPolygon(solid[i], limit, mesh, &leans); !e.empty()) return e;
        from.resize(mesh.size(), i);
    }
    canonicalMesh(mesh, from, out, owners);
    return "";
}

void canonicalMesh(const std::vector<MeshTriangle>& mesh, const std::vector<size_t>& from, std::vector<FileTriangle>& out,
                   std::vector<size_t>* owners) {
    std::vector<std::pair<FileTriangle, size_t>> sorted;
    for (size_t i = 0; i < mesh.size(); ++i) {
        MeshTriangle t = mesh[i];
        const int first = int(std::min_element(t.v, t.v + 3) - t.v);
        std::rotate(t.v, t.v + first, t.v + 3);
        sorted.push_back({toFileTriangle(t), from[i]});
    }
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return inMeshOrder(a.first, b.first); });
    out.clear();
    if (owners) owners->clear();
    for (const auto& [t, owner] : sorted) {
        out.push_back(t);
        if (owners) owners->push_back(owner);
    }
}

// Patches round thin triangles, grown a ring of neighbours at a time: the
// patch's outline comes from its triangles' edges split at every corner on
// them, those met from both sides cancelling; what is left must be one
// ring, which the thickest triangulation meshes again.
#include "tools/shapes/thin_patches.h"

#include <algorithm>
#include <map>
#include <utility>

#include "tools/shapes/ear_clip.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_mesh.h"
#include "tools/shapes/thickest_triangulation.h"

namespace {

// Rings of neighbours a patch may grow by, and the corners its outline may
// have: the triangulation's search is cubic in them.
constexpr int kPatchRings = 4;
constexpr size_t kPatchCorners = 48;

MeshTriangle fromFile(const FileTriangle& f) {
    MeshTriangle t{{{f.c[0], f.c[1]}, {f.c[2], f.c[3]}, {f.c[4], f.c[5]}}};
    if (cross(t.v[0], t.v[1], t.v[2]) < 0) std::swap(t.v[1], t.v[2]);
    return t;
}

__int128 dot(IPoint o, IPoint a, IPoint b) {
    return __int128(a.x - o.x) * (b.x - o.x) + __int128(a.y - o.y) * (b.y - o.y);
}

// Whether some edge of a and some edge of b lie along one line and share
// a stretch of it, not only a point.
bool touchAlongEdge(const MeshTriangle& a, const MeshTriangle& b) {
    for (int i = 0; i < 3; ++i) {
        const IPoint p = a.v[i], q = a.v[(i + 1) % 3];
        const __int128 end = dot(p, q, q);
        for (int j = 0; j < 3; ++j) {
            const IPoint r = b.v[j], s = b.v[(j + 1) % 3];
            if (cross(p, q, r) != 0 || cross(p, q, s) != 0) continue;
            const __int128 tr = dot(p, q, r), ts = dot(p, q, s);
            if (std::max<__int128>(0, std::min(tr, ts)) < std::min(end, std::max(tr, ts))) return true;
        }
    }
    return false;
}

struct Bounds {
    int64_t x0, x1, y0, y1;
    explicit Bounds(const MeshTriangle& t)
        : x0(std::min({t.v[0].x, t.v[1].x, t.v[2].x})), x1(std::max({t.v[0].x, t.v[1].x, t.v[2].x})),
          y0(std::min({t.v[0].y, t.v[1].y, t.v[2].y})), y1(std::max({t.v[0].y, t.v[1].y, t.v[2].y})) {}
    bool meets(const Bounds& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

// The outline of the patch as one counter-clockwise ring without straight
// corners, or false where it is not one ring (a hole, or a pinch).
bool patchOutline(const std::vector<MeshTriangle>& patch, Ring& ring) {
    std::vector<IPoint> corners;
    for (const MeshTriangle& t : patch) corners.insert(corners.end(), t.v, t.v + 3);
    std::sort(corners.begin(), corners.end());
    corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
    std::map<std::pair<IPoint, IPoint>, int> open;
    for (const MeshTriangle& t : patch)
        for (int i = 0; i < 3; ++i) {
            const IPoint p = t.v[i], q = t.v[(i + 1) % 3];
            std::vector<std::pair<__int128, IPoint>> on{{0, p}, {dot(p, q, q), q}};
            for (const IPoint& c : corners)
                if (c != p && c != q && liesOn(p, q, c)) on.push_back({dot(p, q, c), c});
            std::sort(on.begin(), on.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
            for (size_t k = 0; k + 1 < on.size(); ++k) {
                const IPoint u = on[k].second, v = on[k + 1].second;
                // An edge met from the other side is inside the patch.
                if (auto back = open.find({v, u}); back != open.end()) {
                    if (--back->second == 0) open.erase(back);
                } else
                    ++open[{u, v}];
            }
        }
    std::map<IPoint, IPoint> next;
    for (const auto& [edge, count] : open)
        if (count != 1 || !next.emplace(edge.first, edge.second).second) return false;
    if (next.empty()) return false;
    ring.clear();
    IPoint at = next.begin()->first;
    do {
        ring.push_back(at);
        const auto step = next.find(at);
        if (step == next.end() || ring.size() > next.size()) return false;
        at = step->second;
    } while (at != ring.front());
    if (ring.size() != next.size()) return false;
    for (size_t i = 0; ring.size() > 3 && i < ring.size();) {
        const size_t n = ring.size();
        const IPoint u = ring[(i + n - 1) % n], v = ring[i], w = ring[(i + 1) % n];
        if (cross(u, v, w) != 0) {
            ++i;
            continue;
        }
        if (dot(v, u, w) >= 0) return false;  // a spike, not a straight run
        ring.erase(ring.begin() + long(i));
        if (i > 0) --i;
    }
    return ring.size() >= 3;
}

}  // namespace

size_t repatchThin(std::vector<FileTriangle>& mesh, std::vector<size_t>& owners, size_t& work) {
    std::vector<MeshTriangle> tris;
    std::vector<Bounds> bounds;
    for (const FileTriangle& f : mesh) tris.push_back(fromFile(f)), bounds.emplace_back(tris.back());
    std::vector<size_t> own = owners;
    // Each triangle at fault is weighed once: those left unmended too.
    std::vector<bool> toMend;
    for (const MeshTriangle& t : tris) toMend.push_back(meshFaulty(t));
    size_t replaced = 0;
    for (;;) {
        const size_t first = size_t(std::find(toMend.begin(), toMend.end(), true) - toMend.begin());
        if (first == tris.size() || work == 0) break;
        toMend[first] = false;
        std::vector<bool> in(tris.size(), false);
        in[first] = true;
        std::vector<size_t> patch{first}, frontier{first};
        bool done = false;
        for (int rings = 1; rings <= kPatchRings && !done && work > 0; ++rings) {
            std::vector<size_t> added;
            for (const size_t a : frontier)
                for (size_t b = 0; b < tris.size() && work > 0; ++b) {
                    if (in[b]) continue;
                    --work;
                    if (own[b] == own[a] && bounds[a].meets(bounds[b]) && touchAlongEdge(tris[a], tris[b]))
                        in[b] = true, added.push_back(b);
                }
            if (added.empty()) break;
            patch.insert(patch.end(), added.begin(), added.end());
            frontier = std::move(added);
            std::vector<MeshTriangle> old;
            for (const size_t i : patch) old.push_back(tris[i]);
            // Splitting the edges weighs every corner against each; the
            // search, cubic in the outline's corners.
            work -= std::min(work, 9 * old.size() * old.size());
            Ring ring;
            if (!patchOutline(old, ring)) continue;
            if (ring.size() > kPatchCorners) break;
            work -= std::min(work, ring.size() * ring.size() * ring.size());
            std::vector<MeshTriangle> fresh;
            if (!triangulateThickest(ring, fresh) || std::any_of(fresh.begin(), fresh.end(), meshFaulty)) continue;
            const size_t owner = own[first];
            std::sort(patch.begin(), patch.end());
            for (auto i = patch.rbegin(); i != patch.rend(); ++i) {
                tris.erase(tris.begin() + long(*i));
                bounds.erase(bounds.begin() + long(*i));
                own.erase(own.begin() + long(*i));
                toMend.erase(toMend.begin() + long(*i));
            }
            tris.insert(tris.end(), fresh.begin(), fresh.end());
            for (const MeshTriangle& t : fresh) bounds.emplace_back(t);
            own.resize(tris.size(), owner);
            toMend.resize(tris.size(), false);
            ++replaced;
            done = true;
        }
    }
    if (replaced > 0) canonicalMesh(tris, own, mesh, &owners);
    return replaced;
}

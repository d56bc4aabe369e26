// The meshing pipeline over every polygon of the solid.
#include "tools/shapes/shape_mesh.h"

#include <algorithm>

#include "tools/shapes/ear_clip.h"
#include "tools/shapes/mesh_refine.h"
#include "tools/shapes/polygon_pieces.h"

std::string meshSolid(const std::vector<SolidPolygon>& solid, size_t limit, std::vector<FileTriangle>& out) {
    std::vector<MeshTriangle> mesh;
    for (const SolidPolygon& polygon : solid)
        for (const Ring& piece : meshPieces(polygon)) {
            if (!clipEars(piece, mesh)) {
                const IPoint p = piece.front();
                return "cannot mesh the outline near (" + std::to_string(double(p.x) * 1.5) + ", " +
                       std::to_string(double(p.y) * 1.5) + ")";
            }
            if (mesh.size() > limit) return "more than " + std::to_string(limit) + " triangles";
        }
    if (std::string e = refineMesh(mesh, limit); !e.empty()) return e;
    out.clear();
    for (MeshTriangle t : mesh) {
        const int first = int(std::min_element(t.v, t.v + 3) - t.v);
        std::rotate(t.v, t.v + first, t.v + 3);
        out.push_back(toFileTriangle(t));
    }
    std::sort(out.begin(), out.end(), [](const FileTriangle& a, const FileTriangle& b) {
        return std::lexicographical_compare(a.c, a.c + 6, b.c, b.c + 6);
    });
    return "";
}

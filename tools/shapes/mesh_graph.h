// The triangles being improved, linked by their edges: each directed edge
// finds its triangle, each corner the triangles that have it. Triangles are
// only added and removed, never changed, so an index names one for good.
#pragma once

#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "tools/shapes/ear_clip.h"

using EdgeKey = std::tuple<int64_t, int64_t, int64_t, int64_t>;

inline EdgeKey edgeKey(IPoint a, IPoint b) { return EdgeKey{a.x, a.y, b.x, b.y}; }

// Only looked up, never walked in order, so the order a hash gives cannot
// reach the output.
struct EdgeHash {
    size_t operator()(const EdgeKey& k) const;
};

class Mesh {
public:
    explicit Mesh(std::vector<MeshTriangle>& t);

    // Index of the triangle holding edge b->a (the twin of a->b), or -1.
    long twin(IPoint a, IPoint b) const;
    size_t add(const MeshTriangle& t);
    // Live triangles with corner p, in the order they were made.
    std::vector<size_t> around(IPoint p) const;
    void remove(size_t i);
    bool alive(size_t i) const { return alive_[i]; }
    const MeshTriangle& at(size_t i) const { return tris_[i]; }
    size_t size() const { return tris_.size(); }
    size_t count() const { return live_; }
    // Drops the removed triangles from the vector given at the start.
    void compact();

private:
    void link(size_t i);
    std::vector<MeshTriangle>& tris_;
    std::vector<bool> alive_;
    size_t live_;
    std::unordered_map<EdgeKey, size_t, EdgeHash> edges_;
    std::unordered_map<EdgeKey, std::vector<size_t>, EdgeHash> corners_;  // by corner, as (p, p)
};

// Rotates t so that edge j comes first: v[0] -> v[1] is that edge.
inline MeshTriangle rotated(const MeshTriangle& t, int j) {
    return MeshTriangle{{t.v[j], t.v[(j + 1) % 3], t.v[(j + 2) % 3]}};
}

inline bool positive(const MeshTriangle& t) { return cross(t.v[0], t.v[1], t.v[2]) > 0; }

// The edge and corner maps behind the mesh, kept in step with every triangle
// added and removed.
#include "tools/shapes/mesh_graph.h"

size_t EdgeHash::operator()(const EdgeKey& k) const {
    uint64_t h = 0;
    for (int64_t v : {std::get<0>(k), std::get<1>(k), std::get<2>(k), std::get<3>(k)}) {
        h = (h ^ uint64_t(v)) + 0x9e3779b97f4a7c15ull;  // splitmix64's step and mix
        h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ull;
        h = (h ^ (h >> 27)) * 0x94d049bb133111ebull;
        h ^= h >> 31;
    }
    return size_t(h);
}

Mesh::Mesh(std::vector<MeshTriangle>& t) : tris_(t), alive_(t.size(), true), live_(t.size()) {
    for (size_t i = 0; i < tris_.size(); ++i) link(i);
}

long Mesh::twin(IPoint a, IPoint b) const {
    const auto it = edges_.find(edgeKey(b, a));
    return it == edges_.end() ? -1 : long(it->second);
}

size_t Mesh::add(const MeshTriangle& t) {
    tris_.push_back(t);
    alive_.push_back(true);
    ++live_;
    link(tris_.size() - 1);
    return tris_.size() - 1;
}

std::vector<size_t> Mesh::around(IPoint p) const {
    std::vector<size_t> out;
    const auto it = corners_.find(edgeKey(p, p));
    if (it == corners_.end()) return out;
    for (size_t i : it->second)
        if (alive_[i] && (tris_[i].v[0] == p || tris_[i].v[1] == p || tris_[i].v[2] == p)) out.push_back(i);
    return out;
}

void Mesh::remove(size_t i) {
    alive_[i] = false;
    --live_;
    for (int j = 0; j < 3; ++j) {
        const auto it = edges_.find(edgeKey(tris_[i].v[j], tris_[i].v[(j + 1) % 3]));
        if (it != edges_.end() && it->second == i) edges_.erase(it);
    }
}

void Mesh::compact() {
    std::vector<MeshTriangle> kept;
    for (size_t i = 0; i < tris_.size(); ++i)
        if (alive_[i]) kept.push_back(tris_[i]);
    tris_.swap(kept);
}

void Mesh::link(size_t i) {
    for (int j = 0; j < 3; ++j) {
        edges_[edgeKey(tris_[i].v[j], tris_[i].v[(j + 1) % 3])] = i;
        corners_[edgeKey(tris_[i].v[j], tris_[i].v[j])].push_back(i);
    }
}

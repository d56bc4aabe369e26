// Ear clipping with a priority queue of ears by quality. An ear is a convex
// corner whose triangle holds no other corner of the ring (corners at the
// same point as its own, which bridges make, excepted).
#include "tools/shapes/ear_clip.h"

#include <queue>

#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/shapes/segments.h"

namespace {

struct Node {
    IPoint p;
    int prev, next;
    int version = 0;
    bool removed = false;
};

// Corner k of the ring sits on the closed triangle, other than at its corners.
bool blocks(IPoint a, IPoint b, IPoint c, IPoint p) {
    return p != a && p != b && p != c && triangleHolds(a, b, c, p);
}

}  // namespace

FileTriangle toFileTriangle(const MeshTriangle& t) {
    FileTriangle f{};
    for (int j = 0; j < 3; ++j) {
        f.c[2 * j] = int32_t(t.v[j].x);
        f.c[2 * j + 1] = int32_t(t.v[j].y);
    }
    return f;
}

double meshThickness(const MeshTriangle& t) { return triangleThickness(toFileTriangle(t)); }
bool meshCanVanish(const MeshTriangle& t) { return triangleCanVanish(toFileTriangle(t)); }
bool meshFaulty(const MeshTriangle& t) { return meshThickness(t) < kMinThickness || meshCanVanish(t); }

bool clipEars(const Ring& ring, std::vector<MeshTriangle>& out) {
    const int n = int(ring.size());
    if (n < 3) return n == 0;
    std::vector<Node> nodes;
    nodes.resize(size_t(n));
    for (int i = 0; i < n; ++i) nodes[size_t(i)] = Node{ring[size_t(i)], (i + n - 1) % n, (i + 1) % n};

    // Corners that can block an ear: those not strictly convex.
    auto isEar = [&](int i) {
        const Node& b = nodes[size_t(i)];
        const IPoint A = nodes[size_t(b.prev)].p, B = b.p, C = nodes[size_t(b.next)].p;
        if (cross(A, B, C) <= 0) return false;
        for (int k = nodes[size_t(b.next)].next; k != b.prev; k = nodes[size_t(k)].next) {
            const Node& q = nodes[size_t(k)];
            if (cross(nodes[size_t(q.prev)].p, q.p, nodes[size_t(q.next)].p) > 0) continue;
            if (blocks(A, B, C, q.p)) return false;
        }
        return true;
    };
    auto score = [&](int i) {
        const Node& b = nodes[size_t(i)];
        const MeshTriangle t{{nodes[size_t(b.prev)].p, b.p, nodes[size_t(b.next)].p}};
        double s = meshThickness(t);
        if (meshCanVanish(t)) s *= 0.25;
        return s;
    };
    struct Entry {
        double score;
        int node, version;
        bool operator<(const Entry& o) const { return score < o.score || (score == o.score && node > o.node); }
    };
    std::priority_queue<Entry> queue;
    auto consider = [&](int i) {
        Node& b = nodes[size_t(i)];
        ++b.version;
        if (isEar(i)) queue.push({score(i), i, b.version});
    };
    for (int i = 0; i < n; ++i) consider(i);
    int left = n;
    while (left > 3) {
        if (queue.empty()) return false;
        const Entry e = queue.top();
        queue.pop();
        Node& b = nodes[size_t(e.node)];
        if (b.removed || b.version != e.version) continue;
        out.push_back({{nodes[size_t(b.prev)].p, b.p, nodes[size_t(b.next)].p}});
        b.removed = true;
        nodes[size_t(b.prev)].next = b.next;
        nodes[size_t(b.next)].prev = b.prev;
        --left;
        consider(b.prev);
        consider(b.next);
    }
    for (int i = 0; i < n; ++i)
        if (!nodes[size_t(i)].removed) {
            const Node& b = nodes[size_t(i)];
            const MeshTriangle t{{nodes[size_t(b.prev)].p, b.p, nodes[size_t(b.next)].p}};
            if (cross(t.v[0], t.v[1], t.v[2]) <= 0) return false;
            out.push_back(t);
            break;
        }
    return true;
}

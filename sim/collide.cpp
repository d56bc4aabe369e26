// Ball-triangle collision: the edge probe, edge and vertex contacts, and the
// motion check that withdraws a correction pushing a ball along its own path.
#include "sim/collide.h"

// Geometry, screen orientation (x to the right, y downwards). Edge k runs
// from vertex k to vertex k + 1 (mod 3); every normal is turned towards the
// ball, whatever the winding.
//
//         V0 ---------- edge 0 ----------> V1
//           ^                            /
//            \                         /
//           edge 2      (solid)     edge 1
//              \                   /
//               \               v
//                 <----------- V2
//
//                      | N (towards the ball)
//                      v
//                    .---.
//                   (  P  )   ball of radius r, centre P
//                    '---'
//
// A ball is pushed out along the nearest qualifying edge's normal to exactly
// r from that edge's line. A vertex counts only when no edge qualified nearer
// than r + 2 and the vertex lies nearer than r - 2; it is then recorded as the
// opposite edge, (j + 1) mod 3.

namespace {
// Corners are allowed this far inside a ball before they push it.
constexpr double kVertexMargin = 2.0;
}

bool projectOnEdge(const Vec2& centre, const Vec2& a, const Vec2& b, double& distance,
                   Vec2* closest, Vec2* normal) {
    Vec2 d = b - a;
    normalise(d);
    double t = dot(d, centre - a);
    Vec2 foot = a + d * t;
    // The foot is never clamped: a projection beyond either end disqualifies.
    if (t < 0) return false;
    if (length(b - a) < t) return false;
    if (closest) *closest = foot;
    if (normal) {
        Vec2 n = perpendicular(d, 1.0);
        if (dot(centre - a, n) < 0) n = -n;
        *normal = n;
    }
    distance = length(foot - centre);
    return true;
}

bool collideBallTriangle(const Vec2 triangle[3], Vec2 centre, double radius, Vec2& newPosition,
                         Vec2& normal, int ballIndex, int triangleIndex, World& w,
                         ContactList& contacts) {
    if (!overlapsBounds(triangle, centre, radius)) return false;

    const Vec2& p = centre;
    const double r = radius;
    bool contact = false;

    bool haveBest = false;
    int bestEdge = 0;
    double bestDistance = 0;
    Vec2 bestFoot(0.0);
    Vec2 bestNormal(0.0);
    for (int k = 0; k < 3; ++k) {
        double distance;
        Vec2 foot, n;
        if (!projectOnEdge(p, triangle[k], triangle[(k + 1) % 3], distance, &foot, &n)) continue;
        // Strictly smaller: at equal distances the lower edge index keeps it.
        if (!haveBest || distance < bestDistance) {
            haveBest = true;
            bestEdge = k;
            bestDistance = distance;
            bestFoot = foot;
            bestNormal = n;
        }
    }

    if (haveBest && bestDistance < r) {
        newPosition = bestFoot + bestNormal * r;
        normal = bestNormal;
        contacts.pushFront(EdgeRef{triangleIndex, bestEdge});
        contact = true;
    } else if (bestDistance > r + kVertexMargin) {
        // bestDistance is still 0 when no edge qualified, so a triangle seen
        // past all its edges never reaches here.
        for (int j = 0; j < 3; ++j) {
            Vec2 d = p - triangle[j];
            double l = normalise(d);
            if (l < r - kVertexMargin) {
                newPosition = triangle[j] + d * (r - kVertexMargin);
                normal = d;
                contacts.pushFront(EdgeRef{triangleIndex, (j + 1) % 3});
                contact = true;
            }
        }
    }

    if (!contact) return false;

    // A correction that points along the frame's motion so far would feed the
    // ball further in; put it back where the frame began and bleed its speed.
    const Vec2 start = w.previousPosition[ballIndex];
    Vec2 motion = p - start;
    if (dot(p - newPosition, motion) < 0) {
        w.position[ballIndex] = start;
        w.velocity[ballIndex] = w.velocity[ballIndex] / 2.0;
        return false;
    }
    return true;
}

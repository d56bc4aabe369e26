// One record-mode frame of physics: the centre point, three substeps of
// body-side pull, gravity, motion, soft distance constraints and collisions,
// then each velocity becomes the frame's displacement.
#include "sim/step.h"

#include <algorithm>

#include "sim/collide.h"

namespace {
constexpr int kSubsteps = 3;
constexpr double kSubstepDivisor = 3.0;      // share of gravity and velocity per substep
constexpr double kWheelMidpoint = 0.5;
constexpr double kCentreFactor = 0.67;       // decimal 0.67, not 2/3
constexpr double kBodySideScale = 1.0;
constexpr double kGatherDivisor = 1.5;       // constraints stay soft: a share of the
constexpr double kApplyDivisor = 1.5;        // stretch is removed per substep,
constexpr double kApplySubstepDivisor = 3.0; // never all of it at once
// The divisors are written as constants so that each division rounds as it
// always has; they are the substep count all the same.
static_assert(kSubstepDivisor == kSubsteps && kApplySubstepDivisor == kSubsteps,
              "gravity, motion and the constraints' correction are shared out over the substeps");

// While the body ball is across the line through the wheels, pull it
// towards the centre point.
void pullBodyToItsSide(World& w) {
    Vec2* p = w.position;
    Vec2 axle = p[2] - p[1];
    Vec2 n = perpendicular(axle, kBodySideScale);
    double side = dot(p[0] - p[1], n);
    if (side > 0) w.velocity[0] += w.centre - p[0];
}

// Constraint k joins ball k and ball (k + 1) % 3. All three read the same
// positions; the lighter ball of a pair takes the larger share.
void solveConstraints(World& w) {
    Vec2* p = w.position;
    const double* mass = w.mass;
    Vec2 correction[kBallCount] = {Vec2(0.0), Vec2(0.0), Vec2(0.0)};
    for (int k = 0; k < kBallCount; ++k) {
        const int i = k;
        const int j = (k + 1) % kBallCount;
        Vec2 u = p[j] - p[i];
        double l = normalise(u);
        double m = mass[i] + mass[j];
        double e = l - w.restLength[k];
        correction[i] += ((u * e) * (mass[j] / m)) / kGatherDivisor;
        correction[j] -= ((u * e) * (mass[i] / m)) / kGatherDivisor;
    }
    for (int i = 0; i < kBallCount; ++i) p[i] += (correction[i] / kApplyDivisor) / kApplySubstepDivisor;
}
}  // namespace

Vec2 centrePoint(const Vec2 p[kBallCount]) {
    Vec2 wheels = p[2] - p[1];
    Vec2 half = kWheelMidpoint * wheels;
    Vec2 toMidpoint = (p[1] - p[0]) + half;
    Vec2 scaled = kCentreFactor * toMidpoint;
    return p[0] + scaled;
}

// The bounds tests in front only skip calls that would be rejected at once,
// so the calls that matter happen in the same order.
void collideWithLevel(World& w, const Level& l, ContactList& contacts) {
    const int count = std::min(l.triangleCount, static_cast<int32_t>(kMaxTriangles));
    BallReach reach = reachOf(w);
    for (int t = 0; t < count; ++t) {
        const Vec2* triangle = &l.vertices[3 * t];
        const TriangleBounds bounds = boundsOf(triangle);
        if (!mayReachAny(bounds, reach)) continue;
        for (int b = 0; b < kBallCount; ++b) {
            if (!overlapsBounds(bounds, w.position[b], w.radius[b])) continue;
            Vec2 newPosition, normal;
            if (collideBallTriangle(triangle, w.position[b], w.radius[b], newPosition, normal, b, t,
                                    w, contacts)) {
                w.contactFlag[b] = true;
                w.contactNormal[b] = normal;
                w.position[b] = newPosition;
            }
            reach = reachOf(w);  // the call may have moved the ball either way
        }
    }
}

void stepSimulation(World& w, const Level& l, ContactList& contacts) {
    w.centre = centrePoint(w.position);
    for (int i = 0; i < kBallCount; ++i) w.contactFlag[i] = false;

    for (int substep = 0; substep < kSubsteps; ++substep) {
        pullBodyToItsSide(w);
        for (int i = 0; i < kBallCount; ++i) w.velocity[i] += w.gravity / kSubstepDivisor;
        for (int i = 0; i < kBallCount; ++i) w.position[i] += w.velocity[i] / kSubstepDivisor;
        solveConstraints(w);
        collideWithLevel(w, l, contacts);
    }

    for (int i = 0; i < kBallCount; ++i) w.velocity[i] = w.position[i] - w.previousPosition[i];
}

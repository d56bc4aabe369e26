// Ball-triangle collision (to be completed).
#include "sim/collide.h"

bool projectOnEdge(const Vec2& centre, const Vec2& a, const Vec2& b, double& distance,
                   Vec2* closest, Vec2* normal) {
    (void)centre; (void)a; (void)b; (void)distance; (void)closest; (void)normal;
    return false;
}

bool collideBallTriangle(const Vec2 triangle[3], Vec2 centre, double radius, Vec2& newPosition,
                         Vec2& normal, int ballIndex, int triangleIndex, World& w,
                         ContactList& contacts) {
    (void)triangle; (void)centre; (void)radius; (void)newPosition; (void)normal;
    (void)ballIndex; (void)triangleIndex; (void)w; (void)contacts;
    return false;
}

// Scene drawing (to be completed).
#include "display/scene.h"

#include "display/display.h"

void drawFrame(const Vec2& a, const Vec2& b, const Vec2& c, Display& display, int32_t colour,
               const World& w) {
    (void)a; (void)b; (void)c; (void)display; (void)colour; (void)w;
}

void drawScene(Display& display, World& w, const Level& l, const ContactList& contacts) {
    (void)display; (void)l; (void)contacts;
    w.previousSelectedWheel = w.selectedWheel;
    w.previousCentre = w.centre;
    for (int i = 0; i < kBallCount; ++i) w.previousPosition[i] = w.position[i];
}

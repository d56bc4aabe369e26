// Simulation step (to be completed).
#include "sim/step.h"

void stepSimulation(World& w, const Level& l, ContactList& contacts) {
    (void)w; (void)l; (void)contacts;
}

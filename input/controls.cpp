// Keyboard controls and replay fast-forward.
#include "input/controls.h"

#include <istream>

#include "display/display.h"

void applyControls(uint8_t* keys, World& w, Display& display) {
    (void)keys;
    (void)w;
    (void)display;
}

void fastForward(const uint8_t* keys, std::istream* replay) {
    (void)keys;
    (void)replay;
}

// The Display's frame step, run at the end of every frame.
#pragma once

#include "input/controls.h"
#include "sim/world.h"

class Display;

// Keyboard controls (record mode) or the fast-forward over playback (replay
// mode; may be null), then events, present, pace, game clock and refill.
void frameStep(Display& display, World& w, RecordSkipper* playback);

// The main loop's frame and the whole program: startup, main loop, shutdown.
#pragma once

#include "app/run_start.h"

class Display;

// One pass of the main loop after its running test: the simulation and the
// recording (record mode) or the playback (replay mode), the scene, the
// frame step, and the frame counter. Works on the global World and Level.
void runFrame(Display& display, RunState& run);

// The whole program: startup, main loop, shutdown. Returns the exit status:
// 0 for a run that ended normally, 1 when a file or the video failed it.
int runGame(int argc, char** argv);

// Startup, the main loop and shutdown of one run of the game.
#pragma once

#include <memory>
#include <string>

#include "app/level_file.h"
#include "app/replay_file.h"

class Display;

// Run-wide state the entry owns besides the World and the Display.
struct RunState {
    std::string programDirectory;           // ends in "/" or "\", or empty
    std::unique_ptr<ReplayWriter> writer;   // record mode's replay stream
    std::unique_ptr<ReplayReader> reader;   // replay mode's replay stream
    LevelLoader levelLoader;                // remembers which load failures were reported
    std::string reloadPath = kLevelFileName;  // the level reload's file: the current directory's "0.lev"
    bool running = true;                    // the main loop goes on while set
    // Cleared by tools that only record: the frame then takes the scene's
    // end-of-frame copy without drawing, and the replay is the same.
    bool drawing = true;
};

// One pass of the main loop after its running test: the simulation and the
// recording (record mode) or the playback (replay mode), the scene, the
// frame step, and the frame counter. Works on the global World and Level.
void runFrame(Display& display, RunState& run);

// The whole program: startup, main loop, shutdown. Returns the exit status:
// 0 for a run that ended normally, 1 when a file or the video failed it.
int runGame(int argc, char** argv);

// The state of a run besides the World and the Display, and the one way a
// run starts: the game's startup order, with what the tools, the page and
// the fuzzers do differently given as parameters.
#pragma once

#include <cstdint>
#include <functional>
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
    // Cleared by tools that only record: the frame then takes the
    // end-of-frame copy without drawing, and the replay is the same.
    bool drawing = true;
};

// What a level that does not load does to the start.
enum class LevelFailure {
    keepEmpty,  // the game: reported once on stderr, the run goes on without it
    refuse,     // the tools: the run does not start, and the reason is the result
};

struct RunStart {
    int32_t recordMode = 1;
    std::string programDirectory;             // where the level, the digits and a new recording are
    std::string levelPath;                    // the initial load's file; "" for programDirectory + "0.lev"
    std::string reloadPath = kLevelFileName;  // the periodic reload's file
    LevelFailure levelFailure = LevelFailure::keepEmpty;
    // Creates run.writer (record mode) or run.reader (replay mode); "" or
    // "PATH: what is wrong". May be empty for a caller that never runs a
    // frame through runFrame.
    std::function<std::string(RunState& run)> openReplay;
    // Creates the Display, handing it &run.running; "" or what is wrong.
    // Required: every run draws, or at least steps, through a Display.
    std::function<std::string(RunState& run, std::unique_ptr<Display>& display)> openDisplay;
    // Fills the Level in memory instead of loading a file.
    std::function<void(Level& l)> buildLevel;
};

enum class StartOutcome {
    started,        // the main loop may run (a Display that cleared the running flag runs no frame)
    replayFailed,   // the replay stream could not be opened
    levelRaised,    // opening the level or reading its count raised: the game writes "IOER"
    levelRefused,   // LevelFailure::refuse and the level did not load
    displayFailed,  // no Display, or no video for it
};

struct StartResult {
    StartOutcome outcome = StartOutcome::started;
    std::string error;  // what went wrong, for the caller to show; "" when started
};

// Program load, then startup in the game's order: run mode, gravity, the
// replay stream, the level's count (guarded), the Display, the triangles,
// the seed, the rest of the World. Works on the global World, Level and
// ContactList; releases every key.
StartResult startRun(const RunStart& how, RunState& run, std::unique_ptr<Display>& display);

// Starting a run: program load and the startup order, shared by the game,
// the tools' headless runs, the page and the fuzzers.
#include "app/run_start.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "display/display.h"
#include "input/controls.h"
#include "platform/ticks.h"
#include "sim/contact_list.h"
#include "sim/world.h"

StartResult startRun(const RunStart& how, RunState& run, std::unique_ptr<Display>& display) {
    // Program load: zeroed globals, nothing touched, no key held. A process
    // that runs several sessions starts each from there too.
    resetSimulationState(world, level);
    contactList.clear();
    releaseAllKeys();

    world.recordMode = how.recordMode;
    world.gravity = Vec2(0, kInitialGravityY);
    std::ifstream levelStream;

    run.programDirectory = how.programDirectory;
    run.reloadPath = how.reloadPath;
    run.running = true;
    if (how.openReplay)
        if (std::string error = how.openReplay(run); !error.empty()) return {StartOutcome::replayFailed, error};

    const bool refuse = how.levelFailure == LevelFailure::refuse;
    const std::string levelPath = how.levelPath.empty() ? how.programDirectory + kLevelFileName : how.levelPath;
    if (!how.buildLevel) {
        std::string reason;
        try {
            errno = 0;  // what a failed open leaves here is its reason
            levelStream.open(levelPath, std::ios::binary);
            reason = run.levelLoader.readCount(levelStream, levelPath, !refuse);
        } catch (...) {
            return {StartOutcome::levelRaised, "IOER"};
        }
        if (refuse && !reason.empty()) return {StartOutcome::levelRefused, levelPath + ": " + reason};
    }

    if (std::string error = how.openDisplay(run, display); !error.empty() || !display)
        return {StartOutcome::displayFailed, error};
    if (display->status == DisplayStatus::videoFailed) return {StartOutcome::displayFailed, ""};

    if (how.buildLevel) {
        how.buildLevel(level);
    } else {
        std::string reason = run.levelLoader.readTriangles(levelStream, level, !refuse);
        if (refuse && !reason.empty()) return {StartOutcome::levelRefused, levelPath + ": " + reason};
    }
    std::srand(getTickCount());
    initialiseWorld(world);
    return {};
}

// The frame order, and the game's startup and shutdown around the main loop.
#include "app/game.h"

#include <iostream>

#include "app/program_dir.h"
#include "display/display.h"
#include "display/scene.h"
#include "input/frame_step.h"
#include "platform/local_time.h"
#include "sim/contact_list.h"
#include "sim/step.h"
#include "sim/world.h"
#include "sim/wrapping.h"

namespace {
constexpr int32_t kLevelReloadPeriod = 1000;  // frames between reloads of the current directory's level
}

void runFrame(Display& display, RunState& run) {
    if (world.recordMode) {
        contactList.clear();
        if (world.frameCounter % kLevelReloadPeriod == 0) run.levelLoader.reload(run.reloadPath, level);
        stepSimulation();
        run.writer->append(world);
    } else {
        run.reader->playNext(world, run.running);
    }
    if (run.drawing) drawScene(display, world, level, contactList);
    else takeEndOfFrameCopy(world);
    frameStep(display, world, run.reader.get());
    world.frameCounter = wrappingAdd(world.frameCounter, 1);
}

int runGame(int argc, char** argv) {
    RunStart how;
    how.recordMode = argc < 2 ? 1 : 0;
    how.programDirectory = programDirectoryOf(argc > 0 ? argv[0] : nullptr);
    how.openReplay = [&](RunState& run) -> std::string {
        if (world.recordMode) {
            run.writer = std::make_unique<ReplayWriter>(composeReplayPath(run.programDirectory, currentDateTime()));
            return "";  // a recording that cannot be created is reported, and the run goes on
        }
        run.reader = std::make_unique<ReplayReader>(argv[1]);
        return run.reader->isOpen() ? "" : std::string(argv[1]) + ": " + run.reader->error();
    };
    how.openDisplay = [](RunState& run, std::unique_ptr<Display>& display) {
        display = std::make_unique<Display>(&run.running, world.recordMode, run.programDirectory);
        return std::string();
    };

    RunState run;
    std::unique_ptr<Display> display;
    const StartResult start = startRun(how, run, display);
    switch (start.outcome) {
    case StartOutcome::started:
        break;
    case StartOutcome::levelRaised:
        std::cout << start.error << std::flush;
        return 1;
    default:
        if (!start.error.empty()) std::cerr << start.error << '\n';
        return 1;
    }

    while (run.running) runFrame(*display, run);

    if (run.writer) run.writer->close();
    run.writer.reset();
    run.reader.reset();
    return display->status == DisplayStatus::ok ? 0 : 1;
}
